#include "client/core/alert_id_index.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "protocol/gbk_text.h"

namespace lanzhou::core {
namespace {

TEST(AlertIdIndex, HashIsTheSameForIdsEqualWithoutRegardToLatinCase) {
    struct Case {
        std::string a;
        std::string b;
    };
    // 81 41 and 81 61 are two characters whose trail bytes are "A" and "a".
    const Case equal[] = {{"Demo1", "dEMO1"}, {"\x81\x41Z", "\x81\x41z"}, {"ab\x81", "AB\x81"}};
    for (const Case& c : equal) {
        EXPECT_EQ(AlertIdIndex::foldedHash(c.a), AlertIdIndex::foldedHash(c.b)) << c.a;
    }
    EXPECT_NE(AlertIdIndex::foldedHash("\x81\x41"), AlertIdIndex::foldedHash("\x81\x61"));
    EXPECT_NE(AlertIdIndex::foldedHash("[1"), AlertIdIndex::foldedHash("{1"));
}

TEST(AlertIdIndex, FollowsAddsAndRemovesLikeACountOfFoldedIds) {
    // Many ids in a table that grows and empties again, so that runs of
    // neighbouring slots form and get holes: after every step each id is
    // found exactly when some row holds it.
    std::vector<std::string> universe;
    for (int i = 0; i < 400; ++i) {
        universe.push_back((i % 3 == 0 ? "ID" : "id") + std::to_string(i));
    }
    universe.push_back("\x81\x41");
    universe.push_back("\x81\x61");

    AlertIdIndex index;
    std::map<std::string, int> counts;  // folded id -> rows
    std::mt19937 generator(5);
    for (int step = 0; step < 40000; ++step) {
        const std::string& id = universe[generator() % universe.size()];
        const std::string key = protocol::foldLatinCase(id);
        // Grow for a while, then mostly shrink, then grow again.
        const bool adding = (step / 5000) % 2 == 0 ? generator() % 4 != 0 : generator() % 4 == 0;
        if (adding) {
            index.add(id);
            ++counts[key];
        } else if (counts[key] > 0) {
            index.remove(id);
            --counts[key];
        } else {
            index.remove(id);  // not held: changes nothing
        }
        if (step % 97 == 0) {
            for (const std::string& probe : universe) {
                ASSERT_EQ(index.mayContain(probe), counts[protocol::foldLatinCase(probe)] > 0)
                    << probe << " at step " << step;
            }
        }
    }
    index.clear();
    for (const std::string& probe : universe) {
        EXPECT_FALSE(index.mayContain(probe));
    }
}

}  // namespace
}  // namespace lanzhou::core
