// The "muzax.ini" reader and the order lookups the menus and the game use.
#include "audio/music_collection.h"

#include <gtest/gtest.h>

#include "audio/zr_sdl_a.h"
#include "audio_test_support.h"
#include "core/stream.h"

namespace quarry {
namespace {

const std::string kItem = "[ZR_SDL_M, TMusicCollection.GetOrderItem] ";

class MusicListTest : public ::testing::Test {
protected:
  void TearDown() override { AudioAvailable = false; }
  // With audio off the songs are named but no module is loaded.
  void Parse(const std::string& text) {
    TMemoryStream list(text.data(), text.size());
    music.LoadListFrom(list, nullptr);
  }
  std::string Item(const std::string& order, uint16_t index, std::string result = "before") {
    music.GetOrderItem(order, index, result);
    return result;
  }

  test::LogCapture log;
  test::StopCatcher stops;
  TMusicCollection music{16};
};

TEST_F(MusicListTest, OrderItemsCountFromOneAndStopAtTheLast) {
  Parse("[MusicCollection]\r\nORDERS\r\nINGAME=a,b,c\r\n\r\n");
  EXPECT_EQ(music.GetOrder("INGAME"), "a,b,c");
  EXPECT_EQ(Item("INGAME", 1), "a");
  EXPECT_EQ(Item("INGAME", 2), "b");
  EXPECT_EQ(Item("INGAME", 3), "c");
  EXPECT_EQ(Item("INGAME", 5), "c");
  EXPECT_EQ(Item("INGAME", 0), "before");
  EXPECT_EQ(music.OrderItemCount("INGAME"), 3u);
  EXPECT_TRUE(log.Lines().size() == 1);  // only the trace line of the section
}

TEST_F(MusicListTest, EmptySongsBetweenCommasCount) {
  Parse("[MusicCollection]\r\nORDERS\r\nINGAME=a,,c\r\nLIST=,\r\n\r\n");
  EXPECT_EQ(music.OrderItemCount("INGAME"), 3u);
  EXPECT_EQ(Item("INGAME", 2), "");
  EXPECT_EQ(music.OrderItemCount("LIST"), 2u);
}

TEST_F(MusicListTest, OrderNamesAreCaseSensitiveAndUnknownOnesLeaveTheResult) {
  Parse("[MusicCollection]\r\nORDERS\r\ningame=a\r\n\r\n");
  EXPECT_EQ(Item("INGAME", 1), "before");
  EXPECT_EQ(music.OrderItemCount("INGAME"), 0u);
  EXPECT_EQ(log.Count(kItem + "Order not found! (INGAME)"), 1u);
  EXPECT_EQ(Item("ingame", 1), "a");
}

TEST_F(MusicListTest, OrdersAreRecordedWithATraceLineAndCutAt255) {
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "ORDER" + std::to_string(i) + "=song\r\n";
  Parse("[MusicCollection]\r\norders\r\nLIST=menu\r\n;GAMEEND=x\r\nINGAME=a,b\r\n\r\n"
        "Orders\r\n" + lines + "\r\n");
  EXPECT_EQ(log.Lines().front(), "\xFE Trace \xFE LIST=menu|INGAME=a,b|");
  EXPECT_EQ(music.Orders().size(), 255u);
  EXPECT_EQ(music.Orders().substr(0, 36), "LIST=menu|INGAME=a,b|ORDER0=song|ORD");
  EXPECT_EQ(Item("INGAME", 2), "b");
  EXPECT_EQ(music.GetOrder("GAMEEND"), "");  // the ";" line was a comment
}

TEST_F(MusicListTest, SongsAreNamedBeforeTheirEqualsSign) {
  Parse("[musiccollection]\r\nsongs\r\nMenu=music\\menu.xm\r\n;old=old.xm\r\n#odd=odd.xm\r\n"
        "tune.xm\r\n\r\n");
  ASSERT_EQ(music.Count(), 3u);
  EXPECT_EQ(music.Name(0), "Menu");
  EXPECT_EQ(music.Name(1), "#odd");  // "#" is no comment inside a section
  EXPECT_EQ(music.Name(2), "tune.xm");
  EXPECT_EQ(music.Handle(0), 0u);
}

TEST_F(MusicListTest, UnclosedSectionsReadEndAsAnEntry) {
  Parse("[MusicCollection]\r\nORDERS\r\nINGAME=a\r\n!END\r\nSONGS\r\nx=x.xm\r\n!END\r\n");
  EXPECT_EQ(music.Orders(), "INGAME=a|!END|SONGS|x=x.xm|!END|");
  EXPECT_EQ(log.CountContaining("Trace"), 0u);  // no closing empty line, no trace

  TMusicCollection songs(16);
  const std::string text = "[MusicCollection]\r\nSONGS\r\nx=x.xm\r\n!END\r\n";
  TMemoryStream list(text.data(), text.size());
  songs.LoadListFrom(list, nullptr);
  ASSERT_EQ(songs.Count(), 2u);
  EXPECT_EQ(songs.Name(1), "!END");
}

TEST_F(MusicListTest, UnknownTopLevelLinesAreReported) {
  Parse("[MusicCollection]\r\n  Playlist  \r\n# note\r\n!end\r\nSONGS\r\nx=y\r\n");
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"[ZR_SDL_M, LoadList] Unknown identifier! (Playlist)"});
  EXPECT_EQ(music.Count(), 0u);
}

TEST_F(MusicListTest, AListWithoutItsHeaderStopsTheProgram) {
  for (const std::string text : {"", "; nothing\r\n", "[WaveCollection]\r\n", " [MusicCollection]"}) {
    TMusicCollection other(16);
    TMemoryStream list(text.data(), text.size());
    try {
      other.LoadListFrom(list, nullptr);
      ADD_FAILURE() << "no stop for: " << text;
    } catch (const test::Stopped& stop) {
      EXPECT_STREQ(stop.what(), "Not a musiccollection file...");
      EXPECT_EQ(stop.tag, "ZR_SDL_M, LoadList");
    }
  }
}

TEST_F(MusicListTest, AnOrderLineWithoutEqualsDoesNotHideTheNextOrder) {
  Parse("[MusicCollection]\r\nORDERS\r\njunk\r\nINGAME=a,b\r\n\r\n");
  EXPECT_EQ(music.GetOrder("INGAME"), "a,b");
  EXPECT_EQ(music.GetOrder("junk"), "");
}

TEST_F(MusicListTest, CyclingThroughAnOrderWrapsAndAnEmptyOrderPlaysNothing) {
  Parse("[MusicCollection]\r\nORDERS\r\nINGAME=a,b,c\r\nMAPEND=\r\n\r\n");
  std::string song = "none";
  ASSERT_TRUE(music.GetCycledOrderItem("INGAME", 0, song));
  EXPECT_EQ(song, "a");
  ASSERT_TRUE(music.GetCycledOrderItem("INGAME", 3, song));
  EXPECT_EQ(song, "a");
  ASSERT_TRUE(music.GetCycledOrderItem("INGAME", 7, song));
  EXPECT_EQ(song, "b");

  for (const std::string order : {"MAPEND", "GAMEEND"}) {
    log.Clear();
    song = "kept";
    EXPECT_FALSE(music.GetCycledOrderItem(order, 4, song));
    EXPECT_EQ(song, "kept");
    EXPECT_EQ(log.Lines(), std::vector<std::string>{
                               "[ZR_SDL_M, TMusicCollection.GetCycledOrderItem] Order has no songs! (" +
                               order + ")"});
  }
}

TEST_F(MusicListTest, PlayAndStopReportMissingSongs) {
  Parse("[MusicCollection]\r\nSONGS\r\nmenu=menu.xm\r\n\r\n");
  log.Clear();
  music.Play("menu");  // audio is off: even a known song is not found
  music.Stop("other");
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "[ZR_SDL_M, TMusicCollection.Play] Music not found! (menu)",
                             "[ZR_SDL_M, TMusicCollection.Stop] Music not found! (other)"}));
}

TEST_F(MusicListTest, BeyondTheCapacitySongsAreDroppedAndNamesCut) {
  TMusicCollection small(1);
  small.AddSong(0, "a-rather-long-song-name-of-thirty");
  small.AddSong(0, "b");
  ASSERT_EQ(small.Count(), 1u);
  EXPECT_EQ(small.Name(0), "a-rather-long-song-name-");
}

}  // namespace
}  // namespace quarry
