// The database record classes: their layouts at the current version, their
// defaults, and what they make of files of older versions.
#include <gtest/gtest.h>

#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "records/anime_records.h"
#include "records/effect_records.h"
#include "records/media_records.h"
#include "base/report.h"
#include "records/sword_records.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class ByteWriter {
 public:
  ByteWriter& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) m_s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return *this;
  }
  ByteWriter& U16(uint16_t v) {
    m_s += static_cast<char>(v & 0xFF);
    m_s += static_cast<char>(v >> 8);
    return *this;
  }
  ByteWriter& U8(uint8_t v) {
    m_s += static_cast<char>(v);
    return *this;
  }
  // The data-file string: u32 length + 1, then the text and its NUL.
  ByteWriter& Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size() + 1));
    if (!s.empty()) m_s += s + '\0';
    return *this;
  }
  const std::string& Bytes() const { return m_s; }

 private:
  std::string m_s;
};

class DatabaseRecords : public cRecordFileTest {
 protected:
  template <class T>
  std::string SavedBytes(T& r, int nVersion = 667) {
    g_nCurDataVersion = nVersion;
    bool ok = r.SaveToFile("r.dat");
    g_nCurDataVersion = 667;
    EXPECT_TRUE(ok);
    return m_Tmp.ReadFile("r.dat");
  }
  template <class T>
  T Load(const std::string& bytes) {
    m_Tmp.WriteFile("in.dat", bytes);
    T r;
    EXPECT_TRUE(r.LoadFromFile("in.dat"));
    return r;
  }
  template <class T>
  T RoundTrip(T& r, int nVersion) {
    return Load<T>(SavedBytes(r, nVersion));
  }
};

}  // namespace

TEST_F(DatabaseRecords, FreshAnimationSetWritesFourStandardAnimations) {
  cEdAnimeSet set;
  ByteWriter w;
  w.U32(667).U32(3).U32(0).U32(0).U32(0).U32(1).Str("").U32(4);
  for (const char* name : {"立ち", "立ち移動", "飛行", "飛行移動"}) {
    w.U32(3).U16(0).U8(1).U16(0).U32(1).Str(Sjis(name));
    w.U32(1).U32(3).U32(0).U32(1).U32(0).U32(0);  // one frame: pattern 0, time 1, no flag
  }
  EXPECT_EQ(SavedBytes(set), w.Bytes());
}

TEST_F(DatabaseRecords, FreshSwordTypeWritesOnePartWithValuesThreeAndTenSet) {
  cEdSwordType t;
  ByteWriter w;
  w.U32(667).U32(1).U32(0).U32(3).Str("").Str("").Str("").U32(1);
  w.U32(10);
  for (int k = 1; k <= 10; ++k) w.U32(k == 3 || k == 10 ? 1 : 0);
  w.U32(0);
  EXPECT_EQ(SavedBytes(t), w.Bytes());
}

TEST_F(DatabaseRecords, EffectAndMediaLayoutsAtTheCurrentVersion) {
  cEdEffect e;
  e.strName = "e";
  e.nAttr = 7;
  ByteWriter we;
  we.U32(667).U32(4).U32(7).U32(32).U32(32).U32(0).U32(2).Str("e").Str("").U32(0);  // no frames
  EXPECT_EQ(SavedBytes(e), we.Bytes());

  cEdCharaEffect c;
  c.anParam[4] = 0xFFFFFFFF;
  ByteWriter wc;
  wc.U32(667).U32(2).U32(1).U32(0).U32(0).U32(0).U32(0).U32(0xFFFFFFFF).U32(1).Str("");
  EXPECT_EQ(SavedBytes(c), wc.Bytes());

  cEdSound s;
  s.strName = "jump";
  s.strFile = "wave\\Jump.wav";
  s.nAttr = 3;
  ByteWriter ws;
  ws.U32(667).U32(1).U32(3).U32(2).Str("jump").Str("wave\\Jump.wav");
  EXPECT_EQ(SavedBytes(s), ws.Bytes());

  cEdBmpCharaExc b;
  ByteWriter wb;
  wb.U32(667).U32(3).U32(0).U32(0).U32(2).U32(2).Str("").Str("");
  EXPECT_EQ(SavedBytes(b), wb.Bytes());
}

TEST_F(DatabaseRecords, OldAnimationSetsArePaddedOrCutToFourAnimations) {
  // A set of version 120 (below 128) with two animations, by hand.
  auto file = [](uint32_t nVersion, int nAnimes) {
    ByteWriter w;
    w.U32(nVersion).U32(2).U32(1).U32(2).U32(1).Str("s").U32(nAnimes);
    for (int i = 0; i < nAnimes; ++i) {
      if (i == 0) {
        w.U32(3).U16(7).U8(2).U16(0).U32(1).Str("a");
        w.U32(1).U32(3).U32(9).U32(2).U32(1).U32(0);
      } else {
        w.U32(0).U32(1).Str(std::string(1, static_cast<char>('a' + i))).U32(0);  // no options, no frames
      }
    }
    return w.Bytes();
  };
  cEdAnimeSet old = Load<cEdAnimeSet>(file(120, 2));
  EXPECT_EQ(old.nPictureOffset1, 1);
  EXPECT_EQ(old.nPictureOffset2, 2);
  EXPECT_EQ(old.nPictureOffset3, 0);
  ASSERT_EQ(old.m_vecAnime.size(), 4u);
  EXPECT_EQ(old.m_vecAnime[0].strName, "a");
  EXPECT_EQ(old.m_vecAnime[0].wOption1, 7);
  EXPECT_EQ(old.m_vecAnime[0].m_vecFrame.CheckedAt(0).nPattern, 9);
  EXPECT_EQ(old.m_vecAnime[1].strName, "b");
  EXPECT_EQ(old.m_vecAnime[1].cOption2, 1);  // kept from the default animation
  EXPECT_TRUE(old.m_vecAnime[1].m_vecFrame.empty());
  EXPECT_EQ(old.m_vecAnime[2].strName, Sjis("飛行"));
  EXPECT_EQ(old.m_vecAnime[3].strName, Sjis("飛行移動"));
  for (int i = 2; i < 4; ++i) {
    const cEdAnime& a = old.m_vecAnime[i];
    ASSERT_EQ(a.m_vecFrame.size(), 1u);
    EXPECT_EQ(a.m_vecFrame[0].nPattern, 0);
    EXPECT_EQ(a.m_vecFrame[0].nTime, 1);
    EXPECT_EQ(a.m_vecFrame[0].bNoInterrupt, 0);
    EXPECT_EQ(a.cOption2, 1);
  }

  EXPECT_EQ(Load<cEdAnimeSet>(file(130, 2)).m_vecAnime.size(), 2u);

  cEdAnimeSet six = Load<cEdAnimeSet>(file(127, 6));
  ASSERT_EQ(six.m_vecAnime.size(), 4u);
  EXPECT_EQ(six.m_vecAnime[1].strName, "b");
  EXPECT_EQ(six.m_vecAnime[2].strName, Sjis("飛行"));
  EXPECT_EQ(six.m_vecAnime[3].strName, Sjis("飛行移動"));
}

TEST_F(DatabaseRecords, AnimationsBelowVersion55KeepTheirDefaultOptions) {
  cEdAnime a;
  a.strName = "x";
  a.wOption1 = 5;
  a.cOption2 = 9;
  std::string bytes = SavedBytes(a, 54);
  EXPECT_EQ(bytes.substr(4, 4), std::string("\0\0\0\0", 4));  // field count 0
  cEdAnime back = Load<cEdAnime>(bytes);
  EXPECT_EQ(back.strName, "x");
  EXPECT_EQ(back.wOption1, 0);
  EXPECT_EQ(back.cOption2, 1);
}

TEST_F(DatabaseRecords, EffectParametersAddedIn511TakeTheCatalogueDefault) {
  struct Case {
    bool bChara;
    int nKind;
    int nVersion;
    int nParam;  // 0-based index of the parameter looked at
    int32_t nExpect;
  } cases[] = {
      {true, 4, 400, 4, 2},  {true, 5, 510, 4, 2},   {true, 10, 400, 3, 2}, {true, 4, 511, 4, 0},
      {true, 7, 400, 4, 0},  {false, 6, 300, 4, 8},  {false, 7, 300, 4, 10}, {false, 10, 300, 3, 8},
      {false, 10, 300, 4, 0}, {false, 10, 511, 3, 0}, {false, 4, 300, 4, 0},
  };
  for (const Case& c : cases) {
    int32_t got;
    if (c.bChara) {
      cEdCharaEffect r;
      r.nKind = c.nKind;
      got = RoundTrip(r, c.nVersion).anParam[c.nParam];
    } else {
      cEdScrEffect r;
      r.nKind = c.nKind;
      got = RoundTrip(r, c.nVersion).anParam[c.nParam];
    }
    EXPECT_EQ(got, c.nExpect) << (c.bChara ? "chara" : "screen") << " kind " << c.nKind << " v" << c.nVersion;
  }
}

TEST_F(DatabaseRecords, AttributesOfFilesBelow153AreCleared) {
  cEdEffect e;
  e.nAttr = 5;
  e.nCellWidth = 48;
  std::string v150 = SavedBytes(e, 150);
  EXPECT_EQ(v150.substr(4, 4), std::string("\x03\0\0\0", 4));
  EXPECT_EQ(Load<cEdEffect>(v150).nCellWidth, 48);
  EXPECT_EQ(Load<cEdEffect>(v150).nAttr, 0);
  EXPECT_EQ(RoundTrip(e, 152).nAttr, 0);
  EXPECT_EQ(RoundTrip(e, 153).nAttr, 5);

  cEdPicture p;
  p.nAttr = 5;
  EXPECT_EQ(RoundTrip(p, 152).nAttr, 0);
  EXPECT_EQ(RoundTrip(p, 153).nAttr, 5);

  cEdSwordType t;
  t.nAttr = 5;
  EXPECT_EQ(RoundTrip(t, 152).nAttr, 0);
  EXPECT_EQ(RoundTrip(t, 153).nAttr, 5);

  // A sound of version 100, by hand: no fields, two strings.
  ByteWriter w;
  w.U32(100).U32(0).U32(2).Str("s").Str("wave\\S.wav");
  cEdSound s = Load<cEdSound>(w.Bytes());
  EXPECT_EQ(s.strName, "s");
  EXPECT_EQ(s.strFile, "wave\\S.wav");
  EXPECT_EQ(s.nAttr, 0);
}

TEST_F(DatabaseRecords, FieldsMissingFromOlderFilesKeepTheListReadersDefaults) {
  cEdBmpCharaExc b;
  b.nAttr = 7;
  b.bCustomCell = 1;
  b.nCellBlocks = 5;
  std::string v160 = SavedBytes(b, 160);
  EXPECT_EQ(v160.substr(4, 4), std::string("\x01\0\0\0", 4));
  cEdBmpCharaExc back = Load<cEdBmpCharaExc>(v160);
  EXPECT_EQ(back.nAttr, 7);
  EXPECT_EQ(back.bCustomCell, 0);
  EXPECT_EQ(back.nCellBlocks, 2);

  // A sword type of version 137: its parts have eight values.
  cEdSwordType t;
  for (int k = 0; k < 10; ++k) t.m_vecPart[0].anPart[k] = 100 + k;
  cEdSwordType old = RoundTrip(t, 137);
  ASSERT_EQ(old.m_vecPart.size(), 1u);
  const int32_t expect[10] = {100, 101, 1, 0, 104, 105, 106, 107, 108, 109};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(old.m_vecPart[0].anPart[k], expect[k]) << "value " << k + 1;
}

TEST_F(DatabaseRecords, EmptyListsRoundTripEmpty) {
  cEdSwordType t;
  t.m_vecPart.clear();
  EXPECT_TRUE(RoundTrip(t, 667).m_vecPart.empty());
  cEdAnime a;
  a.m_vecFrame.clear();
  EXPECT_TRUE(RoundTrip(a, 667).m_vecFrame.empty());
}

TEST_F(DatabaseRecords, CopiesOwnTheirLists) {
  cEdAnimeSet a;
  cEdAnimeSet b = a;
  b.m_vecAnime[0].m_vecFrame[0].nPattern = 9;
  b.m_vecAnime[0].strName = "x";
  EXPECT_EQ(a.m_vecAnime[0].m_vecFrame[0].nPattern, 0);
  EXPECT_EQ(a.m_vecAnime[0].strName, Sjis("立ち"));
  // The copy reads into its own members.
  cEdAnimeSet c;
  c = Load<cEdAnimeSet>(SavedBytes(b));
  EXPECT_EQ(c.m_vecAnime[0].m_vecFrame[0].nPattern, 9);
}

TEST(EffectCatalogues, ShapeAndSpotValues) {
  const cVector<EFFECTPARAMDEF>& chara = CharaEffectParamDefs();
  const cVector<EFFECTPARAMDEF>& scr = ScrEffectParamDefs();
  ASSERT_EQ(chara.size(), 85u);
  ASSERT_EQ(scr.size(), 70u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(chara[i].strName, "");
    EXPECT_EQ(scr[i].strName, "");
  }
  struct Case {
    const cVector<EFFECTPARAMDEF>* pDefs;
    int nKind, nParam;
    const char* pszName;
    int16_t nMin, nMax, nDefault;
  } cases[] = {
      {&chara, 1, 0, "実行時間(1/10s)", 1, 9999, 5},
      {&chara, 4, 4, "波の粗さ(dot)", 1, 4, 2},
      {&chara, 12, 3, "ズレX(dot)", -16, 16, 0},
      {&chara, 13, 3, "色", 16, 207, 16},
      {&chara, 14, 1, "点滅間隔(1/60s)", 1, 9999, 9999},
      {&chara, 16, 4, "", 0, 0, 0},
      {&scr, 1, 4, "終了座標Y(dot)", -480, 480, 0},
      {&scr, 7, 4, "波の粗さ(dot)", 1, 64, 10},
      {&scr, 10, 3, "円の粗さ(dot)", 1, 48, 8},
      {&scr, 13, 2, "終了強度", 1, 240, 60},
  };
  for (const Case& c : cases) {
    const EFFECTPARAMDEF& d = (*c.pDefs)[5 * c.nKind + c.nParam];
    EXPECT_EQ(d.strName, Sjis(c.pszName)) << c.pszName;
    EXPECT_EQ(d.nMin, c.nMin) << c.pszName;
    EXPECT_EQ(d.nMax, c.nMax) << c.pszName;
    EXPECT_EQ(d.nDefault, c.nDefault) << c.pszName;
  }
  ASSERT_EQ(CharaEffectKindNames().size(), 17u);
  EXPECT_EQ(CharaEffectKindNames()[15], Sjis("ぼかし"));
  EXPECT_EQ(CharaEffectKindNames()[16], "");
  ASSERT_EQ(ScrEffectKindNames().size(), 14u);
  EXPECT_EQ(ScrEffectKindNames()[0], Sjis("移動"));
  ASSERT_EQ(CharaEffectKindNotes().size(), 17u);
  EXPECT_EQ(CharaEffectKindNotes()[5], Sjis("Direct3D有効時：速い\nDirect3D無効時：速い"));
  EXPECT_EQ(CharaEffectKindNotes()[0], Sjis("Direct3D有効時：\nDirect3D無効時："));
  ASSERT_EQ(ScrEffectKindNotes().size(), 14u);
  EXPECT_EQ(ScrEffectKindNotes()[12], Sjis("Direct3D有効時：遅過ぎ\nDirect3D無効時：画面が16bit色以上だと遅過ぎ"));
}
