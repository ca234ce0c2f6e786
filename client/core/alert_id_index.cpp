#include "client/core/alert_id_index.h"

#include <algorithm>

namespace lanzhou::core {

namespace {

constexpr std::size_t kFirstSlots = 64;

}  // namespace

std::uint64_t AlertIdIndex::foldedHash(std::string_view id) {
    // FNV-1a over the folded bytes; a lead byte (0x80 or above) takes the
    // byte after it along unchanged, as the GBK text helpers read it.
    std::uint64_t hash = 0xCBF29CE484222325u;
    const auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001B3u;
    };
    for (std::size_t i = 0; i < id.size(); ++i) {
        const auto byte = static_cast<unsigned char>(id[i]);
        if (byte >= 0x80 && i + 1 < id.size()) {
            mix(byte);
            mix(static_cast<unsigned char>(id[++i]));
        } else {
            mix(byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte);
        }
    }
    return hash;
}

std::size_t AlertIdIndex::home(std::uint64_t hash) const {
    return static_cast<std::size_t>(hash ^ (hash >> 32)) & (m_slots.size() - 1);
}

std::size_t AlertIdIndex::find(std::uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = home(hash);
    while (m_slots[at].count != 0 && m_slots[at].hash != hash) {
        at = (at + 1) & mask;
    }
    return at;
}

void AlertIdIndex::add(std::string_view id) {
    // At most half full, so that probes stay short.
    if (2 * (m_used + 1) > m_slots.size()) {
        grow();
    }
    const std::uint64_t hash = foldedHash(id);
    Slot& slot = m_slots[find(hash)];
    if (slot.count == 0) {
        slot.hash = hash;
        ++m_used;
    }
    ++slot.count;
}

void AlertIdIndex::remove(std::string_view id) {
    if (m_used == 0) {
        return;
    }
    std::size_t hole = find(foldedHash(id));
    if (m_slots[hole].count == 0 || --m_slots[hole].count != 0) {
        return;
    }
    --m_used;
    // Backward-shift deletion: move up every later slot of the run that may
    // live in the hole, so that no probe stops early at it.
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t next = (hole + 1) & mask; m_slots[next].count != 0; next = (next + 1) & mask) {
        const std::size_t wanted = home(m_slots[next].hash);
        // The slot may move to the hole when its home is not in (hole, next].
        const bool homeAfterHole = ((wanted - hole - 1) & mask) < ((next - hole) & mask);
        if (!homeAfterHole) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = Slot{};
}

bool AlertIdIndex::mayContain(std::string_view id) const {
    return m_used != 0 && m_slots[find(foldedHash(id))].count != 0;
}

void AlertIdIndex::clear() {
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
    m_used = 0;
}

void AlertIdIndex::grow() {
    std::vector<Slot> old(std::max(kFirstSlots, 2 * m_slots.size()));
    old.swap(m_slots);
    for (const Slot& slot : old) {
        if (slot.count != 0) {
            m_slots[find(slot.hash)] = slot;
        }
    }
}

}  // namespace lanzhou::core
