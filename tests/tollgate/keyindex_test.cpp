// The To-Scan key index against a plain map: every key added, found, removed and found again
// through long runs of colliding slots, growth and clearing.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "zarn10treevolume.h"
#include "zarn30keyindex.h"

namespace {

CZARN30Key KeyFor(int number) {
    CZARN30Key key{};
    char text[kZarnVolumeKeyWidth + 1] = {};
    std::snprintf(text, sizeof text, "ACMELTO9V%07d", number);
    std::copy(text, text + kZarnVolumeKeyWidth, key.bytes.begin());
    return key;
}

TEST(KeyIndex, AgreesWithAPlainMapThroughAddingRemovingAndGrowing) {
    std::vector<CZARN10TreeVolume> items(4000);
    CZARN30KeyIndex index;
    std::map<int, CZARN10TreeVolume *> expected;
    std::mt19937 random(11);
    for (int step = 0; step < 60000; ++step) {
        const int number = static_cast<int>(random() % items.size());
        if (random() % 3 == 0) {
            index.Erase(KeyFor(number));
            expected.erase(number);
        } else {
            index.Insert(KeyFor(number), &items[static_cast<std::size_t>(number)]);
            expected.emplace(number, &items[static_cast<std::size_t>(number)]);
        }
        if (step % 5000 == 0) {
            for (int probe = 0; probe < static_cast<int>(items.size()); ++probe) {
                const auto found = expected.find(probe);
                ASSERT_EQ(index.Find(KeyFor(probe)),
                          found == expected.end() ? nullptr : found->second)
                    << "key " << probe << " at step " << step;
            }
        }
        ASSERT_EQ(index.Size(), expected.size());
    }
    // The first item keeps its key; a reserve keeps every key; a clear forgets them all.
    CZARN10TreeVolume other;
    const int kept = expected.begin()->first;
    index.Insert(KeyFor(kept), &other);
    EXPECT_EQ(index.Find(KeyFor(kept)), expected.begin()->second);
    index.Reserve(100000);
    EXPECT_EQ(index.Find(KeyFor(kept)), expected.begin()->second);
    EXPECT_EQ(index.Size(), expected.size());
    index.Clear();
    EXPECT_EQ(index.Find(KeyFor(kept)), nullptr);
    EXPECT_EQ(index.Size(), 0u);
    index.Erase(KeyFor(kept));
}

}  // namespace
