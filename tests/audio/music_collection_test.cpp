// The "muzax.ini" reader and the order lookups the menus and the game use.
#include "audio/music_collection.h"

#include <gtest/gtest.h>

#include "audio/zr_sdl_a.h"
#include "audio_test_support.h"
#include "core/stream.h"

namespace quarry {
namespace {

class MusicListTest : public ::testing::Test {
protected:
  void TearDown() override { AudioAvailable = false; }
  // With audio off the songs are named but no module is loaded.
  void Parse(const std::string& text, TMusicCollection* into = nullptr) {
    TMemoryStream list(text.data(), text.size());
    (into ? *into : music).LoadListFrom(list, nullptr);
  }
  std::string Item(const std::string& order, uint16_t index, std::string result = "before") {
    music.GetOrderItem(order, index, result);
    return result;
  }

  LogCapture log;
  test::StopCatcher stops;
  TMusicCollection music{16};
};

TEST_F(MusicListTest, OrderItemsCountFromOneStopAtTheLastAndNamesAreCaseSensitive) {
  // "junk" has no "=" and must not hide the next order.
  Parse("[MusicCollection]\r\nORDERS\r\njunk\r\nINGAME=a,b,c\r\nGAP=a,,c\r\nLIST=,\r\ningame=x\r\n\r\n");
  EXPECT_EQ(log.lines.size(), 1u);  // only the trace line of the section
  EXPECT_EQ(music.GetOrder("INGAME"), "a,b,c");
  EXPECT_EQ(music.GetOrder("junk"), "");
  const std::pair<uint16_t, std::string> items[] = {{1, "a"}, {2, "b"}, {3, "c"}, {5, "c"}, {0, "before"}};
  for (const auto& [index, song] : items) EXPECT_EQ(Item("INGAME", index), song) << index;
  EXPECT_EQ(music.OrderItemCount("INGAME"), 3u);
  EXPECT_EQ(music.OrderItemCount("GAP"), 3u);  // empty songs between commas count
  EXPECT_EQ(Item("GAP", 2), "");
  EXPECT_EQ(music.OrderItemCount("LIST"), 2u);
  EXPECT_EQ(Item("ingame", 1), "x");
  EXPECT_EQ(Item("Ingame", 1), "before");
  EXPECT_EQ(music.OrderItemCount("Ingame"), 0u);
  EXPECT_EQ(test::Exact(log, "[ZR_SDL_M, TMusicCollection.GetOrderItem] Order not found! (Ingame)"), 1u);
}

TEST_F(MusicListTest, OrdersAreRecordedWithATraceLineAndCutAt255) {
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "ORDER" + std::to_string(i) + "=song\r\n";
  Parse("[MusicCollection]\r\norders\r\nLIST=menu\r\n;GAMEEND=x\r\nINGAME=a,b\r\n\r\nOrders\r\n" + lines + "\r\n");
  EXPECT_EQ(log.lines.front(), "\xFE Trace \xFE LIST=menu|INGAME=a,b|");
  EXPECT_EQ(music.Orders().size(), 255u);
  EXPECT_EQ(music.Orders().substr(0, 36), "LIST=menu|INGAME=a,b|ORDER0=song|ORD");
  EXPECT_EQ(Item("INGAME", 2), "b");
  EXPECT_EQ(music.GetOrder("GAMEEND"), "");  // the ";" line was a comment
}

TEST_F(MusicListTest, SongsAreNamedBeforeTheirEqualsSignAndUnknownTopLevelLinesReported) {
  Parse("[musiccollection]\r\n  Playlist  \r\n# note\r\nsongs\r\nMenu=music\\menu.xm\r\n;old=old.xm\r\n"
        "#odd=odd.xm\r\ntune.xm\r\n\r\n!end\r\nSONGS\r\nx=y\r\n");  // nothing is read after "!end"
  EXPECT_EQ(log.lines, std::vector<std::string>{"[ZR_SDL_M, LoadList] Unknown identifier! (Playlist)"});
  ASSERT_EQ(music.Count(), 3u);
  EXPECT_EQ(music.Name(0), "Menu");
  EXPECT_EQ(music.Name(1), "#odd");  // "#" is no comment inside a section
  EXPECT_EQ(music.Name(2), "tune.xm");
  EXPECT_EQ(music.Handle(0), 0u);
}

TEST_F(MusicListTest, UnclosedSectionsReadEndAsAnEntry) {
  Parse("[MusicCollection]\r\nORDERS\r\nINGAME=a\r\n!END\r\nSONGS\r\nx=x.xm\r\n!END\r\n");
  EXPECT_EQ(music.Orders(), "INGAME=a|!END|SONGS|x=x.xm|!END|");
  EXPECT_EQ(log.Count("Trace"), 0);  // no closing empty line, no trace
  TMusicCollection songs(16);
  Parse("[MusicCollection]\r\nSONGS\r\nx=x.xm\r\n!END\r\n", &songs);
  ASSERT_EQ(songs.Count(), 2u);
  EXPECT_EQ(songs.Name(1), "!END");
}

TEST_F(MusicListTest, CyclingThroughAnOrderWrapsAndAnEmptyOrderPlaysNothing) {
  Parse("[MusicCollection]\r\nORDERS\r\nINGAME=a,b,c\r\nMAPEND=\r\n\r\n");
  for (const auto& [index, want] : {std::pair{0, "a"}, {3, "a"}, {7, "b"}}) {
    std::string song = "none";
    ASSERT_TRUE(music.GetCycledOrderItem("INGAME", index, song));
    EXPECT_EQ(song, want) << index;
  }
  for (const std::string order : {"MAPEND", "GAMEEND"}) {
    log.lines.clear();
    std::string song = "kept";
    EXPECT_FALSE(music.GetCycledOrderItem(order, 4, song));
    EXPECT_EQ(song, "kept");
    EXPECT_EQ(log.lines, std::vector<std::string>{
                             "[ZR_SDL_M, TMusicCollection.GetCycledOrderItem] Order has no songs! (" + order + ")"});
  }
}

TEST_F(MusicListTest, PlayAndStopReportMissingSongsAndCapacityDropsSongs) {
  Parse("[MusicCollection]\r\nSONGS\r\nmenu=menu.xm\r\n\r\n");
  log.lines.clear();
  music.Play("menu");  // audio is off: even a known song is not found
  music.Stop("other");
  EXPECT_EQ(log.lines, (std::vector<std::string>{"[ZR_SDL_M, TMusicCollection.Play] Music not found! (menu)",
                                                 "[ZR_SDL_M, TMusicCollection.Stop] Music not found! (other)"}));
  TMusicCollection small(1);
  small.AddSong(0, "a-rather-long-song-name-of-thirty");
  small.AddSong(0, "b");
  ASSERT_EQ(small.Count(), 1u);
  EXPECT_EQ(small.Name(0), "a-rather-long-song-name-");
}

}  // namespace
}  // namespace quarry
