// The FreeType source with its font configuration read ahead on a helper
// thread: the faces it opens draw exactly as those of a source that read
// the configuration itself.
#include <gtest/gtest.h>

#include <string>

#include "platform/glyph_source.h"
#include "platform/text_cp932.h"

namespace {

TEST(GlyphSource, AFaceFoundThroughTheConfigurationReadAheadDrawsAsOneFoundWithout) {
  SetGlyphSourceForTests(nullptr);
  ReadFontConfigurationAhead();
  // The first look-up of any source takes the configuration read ahead; the
  // second source finds none pending and reads its own.
  auto ahead = CreateFreeTypeGlyphSource();
  auto face = ahead->OpenFace(Sjis("ＭＳ ゴシック"), 0, 16);
  auto own = CreateFreeTypeGlyphSource();
  auto ownFace = own->OpenFace(Sjis("ＭＳ ゴシック"), 0, 16);
  for (const char* sz : {"あ", "漢", "A", "%"}) {
    SCOPED_TRACE(sz);
    const std::string ch = Sjis(sz);
    GLYPHBITMAP a, b;
    face->RenderGlyph(ch, a);
    ownFace->RenderGlyph(ch, b);
    EXPECT_FALSE(a.vInk.empty()) << "the gothic face was not found";
    EXPECT_EQ(a.vInk, b.vInk);
    EXPECT_EQ(a.nWidth, b.nWidth);
    EXPECT_EQ(a.nLeft, b.nLeft);
    EXPECT_EQ(a.nTop, b.nTop);
    EXPECT_EQ(a.nAdvance, b.nAdvance);
  }
  // Asked for again once taken, it is read again, and a start-up that never
  // opens a face leaves it to be freed at exit.
  ReadFontConfigurationAhead();
}

}  // namespace
