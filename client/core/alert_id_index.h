#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lanzhou::core {

// Counts the rows of an alert list by a hash of their id with ASCII letters
// folded to lower case, so that a look-up of an id no row holds (most of
// them) is answered without reading the rows. Two ids sharing a hash only
// cost the caller a scan of the rows: a "maybe" is confirmed there.
// No allocation per id: the counts live in one open-addressed table.
class AlertIdIndex final {
public:
    void add(std::string_view id);
    // Forgets one row holding `id` (nothing when none was added).
    void remove(std::string_view id);
    // False when no row added holds an id equal to `id` without regard to
    // the case of ASCII letters.
    bool mayContain(std::string_view id) const;
    void clear();

    // The hash of the id with ASCII letters outside double-byte characters
    // folded to lower case (the key of the index).
    static std::uint64_t foldedHash(std::string_view id);

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t count = 0;  // 0: the slot is free
    };

    std::size_t home(std::uint64_t hash) const;
    // The slot holding `hash`, or the free slot where it would go.
    std::size_t find(std::uint64_t hash) const;
    void grow();

    std::vector<Slot> m_slots;  // size 0 or a power of two
    std::size_t m_used = 0;
};

}  // namespace lanzhou::core
