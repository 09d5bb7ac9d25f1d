#include "core/History.h"

#include "Portable.h"
#include "TestEnvironment.h"
#include "util/MemorySettingsStore.h"
#include "util/SettingKeys.h"

#include <gtest/gtest.h>
#include <map>

using namespace lh;

namespace {

using Slots = std::array<std::string, History::kSlotCount>;

History Filled(const std::vector<std::string>& paths) {
    History h;
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        h.AddToHistory(*it, "/");
    return h;
}

} // namespace

TEST(History, addToHistoryMovesOrInsertsAtTheFront) {
    const std::vector<std::string> full = {"/d/A.htm", "/d/B.htm", "/d/C.htm", "/d/D.htm",
                                           "/d/E.htm"};
    struct Case {
        const char* name;
        std::string add;
        Slots expected;
    };
    const std::vector<Case> cases = {
        {"other letter case of slot 2 moves it, in the new spelling",
         "/D/b.HTM",
         {"/D/b.HTM", "/d/A.htm", "/d/C.htm", "/d/D.htm", "/d/E.htm"}},
        {"new path drops the last",
         "/d/F.htm",
         {"/d/F.htm", "/d/A.htm", "/d/B.htm", "/d/C.htm", "/d/D.htm"}},
        {"last path comes to the front",
         "/d/E.htm",
         {"/d/E.htm", "/d/A.htm", "/d/B.htm", "/d/C.htm", "/d/D.htm"}},
        {"slot 4 moves up",
         "/d/d.htm",
         {"/d/d.htm", "/d/A.htm", "/d/B.htm", "/d/C.htm", "/d/E.htm"}},
        {"front path changes nothing, not even its spelling",
         "/D/a.htm",
         {"/d/A.htm", "/d/B.htm", "/d/C.htm", "/d/D.htm", "/d/E.htm"}},
        {"only ASCII letters are folded",
         "/d/\xC3\x84.htm",
         {"/d/\xC3\x84.htm", "/d/A.htm", "/d/B.htm", "/d/C.htm", "/d/D.htm"}},
    };
    for (const auto& c : cases) {
        History h = Filled(full);
        h.AddToHistory(c.add, "/");
        EXPECT_EQ(h.HistorySlots(), c.expected) << c.name;
    }
    History partial = Filled({"/x/1", "/x/2"});
    partial.AddToHistory("/x/3", "/");
    EXPECT_EQ(partial.HistorySlots(), (Slots{"/x/3", "/x/1", "/x/2", "", ""}));
}

TEST(History, shortensPathsAgainstTheOpenFolder) {
    struct Case {
        std::string path;
        std::string dir;
        std::string shown;
    };
    const std::string fortyFive(45, 'a');
    std::string kanji46;
    for (int i = 0; i < 46; ++i)
        kanji46 += "日";
    std::string kanji44;
    for (int i = 0; i < 44; ++i)
        kanji44 += "日";
    const std::vector<Case> cases = {
        {"/data/links.htm", "/data", "links.htm"},
        {"/DATA/links.htm", "/data", "links.htm"},
        {"/data2/links.htm", "/data", "/data2/links.htm"},
        {"/links.htm", "/", "links.htm"},
        {"/data/sub/links.htm", "/data", "sub/links.htm"},
        {"/data/links.htm", "", "/data/links.htm"},
        {"/d/" + fortyFive, "/d", fortyFive},
        {"/d/" + fortyFive + "b", "/d", std::string(44, 'a') + "..."},
        {"/d/" + kanji46, "/d", kanji44 + "..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(History::ShortenHistoryPath(test::NativePath(c.path), test::NativePath(c.dir)),
                  test::NativePath(c.shown))
            << c.path << " in " << c.dir;
}

TEST(History, menuCaptionsAndHintsFollowTheSlots) {
    const std::string links = test::NativePath("/data/links.htm");
    const std::string other = test::NativePath("/other/b.htm");
    History h = Filled({links, other});
    h.RebuildHistoryMenu(test::NativePath("/data"));
    const auto& menu = h.Menu();
    EXPECT_TRUE(menu.separatorVisible);
    EXPECT_TRUE(menu.items[0].visible);
    EXPECT_EQ(menu.items[0].caption, "&1 links.htm");
    EXPECT_EQ(menu.items[0].hint, "1 links.htm|「1 " + links + "」を開きます");
    EXPECT_EQ(menu.items[1].caption, "&2 " + other);
    EXPECT_EQ(menu.items[1].hint, "2 " + other + "|「2 " + other + "」を開きます");
    for (int i = 2; i < History::kSlotCount; ++i) {
        EXPECT_FALSE(menu.items[static_cast<std::size_t>(i)].visible);
        EXPECT_EQ(menu.items[static_cast<std::size_t>(i)].caption, "");
        EXPECT_EQ(menu.items[static_cast<std::size_t>(i)].hint, std::to_string(i + 1) + " (なし)|");
    }
}

TEST(History, emptyHistoryHidesSeparatorAndItems) {
    History h = Filled({"/a", "/b"});
    h.Clear("/");
    EXPECT_FALSE(h.Menu().separatorVisible);
    for (const auto& item : h.Menu().items)
        EXPECT_FALSE(item.visible);
    EXPECT_EQ(h.Menu().items[0].hint, "1 (なし)|");
    EXPECT_EQ(h.HistorySlots(), Slots{});
}

TEST(History, loadStopsAtFirstEmptySlotAndStoreEmptiesOnlyWhatWasStored) {
    std::map<int, std::string> store = {{0, "A"}, {1, ""}, {2, "C"}};
    const auto read = [&](int i) { return store.count(i) ? store[i] : std::string(); };
    History h;
    h.Load(read);
    EXPECT_EQ(h.HistorySlots(), (Slots{"A", "", "", "", ""}));

    std::map<int, std::string> written;
    h.Store(read, [&](int i, const std::string& v) { written[i] = v; });
    EXPECT_EQ(written, (std::map<int, std::string>{{0, "A"}, {2, ""}}));
}

TEST(History, roundTripsThroughTheSettingsStore) {
    MemorySettingsStore settings;
    History h;
    h.AddToHistory("/d/a.htm", "/");
    h.AddToHistory("/d/b.htm", "/");
    h.StoreToSettings(settings);
    EXPECT_EQ(keys::kMenuFile[0].Read(settings), "/d/b.htm");
    EXPECT_EQ(keys::kMenuFile[1].Read(settings), "/d/a.htm");

    History loaded;
    loaded.LoadFromSettings(settings);
    EXPECT_EQ(loaded.HistorySlots(), (Slots{"/d/b.htm", "/d/a.htm", "", "", ""}));
}
