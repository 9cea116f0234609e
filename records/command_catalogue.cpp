#include "records/command_catalogue.h"

#include "platform/text_cp932.h"

// Every table here is constant-initialised: nothing runs before the entry,
// and a name is turned into CP932 only when somebody asks for it.

namespace {

constexpr CATALOGENTRY s_aFlowCommand[] = {
    {"", 0},                          // 0 None
    {"ウエイト", 0},                  // 1 Wait
    {"直線移動", 0},                  // 2 StraightMove
    {"地上折り返し移動", 0},          // 3 GroundTurnMove
    {"円移動", 0},                    // 4 CircleMove
    {"突撃移動", 0},                  // 5 ChargeMove
    {"誘導移動", 0},                  // 6 HomingMove
    {"画面外回避移動", 0},            // 7 AvoidOffscreenMove
    {"移動の無効化", 0},              // 8 DisableMove
    {"向き変更", 1},                  // 9 ChangeDirection
    {"ジャンプ", 5},                  // 10 Jump
    {"ショット", 0},                  // 11 Shot
    {"ソード", 0},                    // 12 Sword
    {"ブロック召喚", 0},              // 13 SummonBlock
    {"キャラ召喚", 0},                // 14 SummonChara
    {"アイテム召喚", 0},              // 15 SummonItem
    {"フローの操作", 3},              // 16 FlowControl
    {"ステージクリア", 5},            // 17 StageClear
    {"ゲームウエイト", 1},            // 18 GameWait
    {"メッセージ", 17},               // 19 Message
    {"ワープ", 0},                    // 20 Warp
    {"ターゲットの設定", 10},         // 21 SetTarget
    {"ステータスの操作", 18},         // 22 StatusOp
    {"ステータスの操作2", 3},         // 23 StatusOp2
    {"アイテムの取得", 2},            // 24 GetItem
    {"グラフィックの変更", 3},        // 25 ChangeGraphic
    {"基本アニメセットの変更", 1},    // 26 ChangeBaseAnimeSet
    {"アニメの実行", 1},              // 27 RunAnime
    {"エフェクトの実行", 8},          // 28 RunEffect
    {"キャラエフェクトの実行", 3},    // 29 RunCharaEffect
    {"画面エフェクトの実行", 3},      // 30 RunScreenEffect
    {"ピクチャーの表示", 14},         // 31 ShowPicture
    {"画面の色を変更", 8},            // 32 ChangeScreenColor
    {"背景の変更", 2},                // 33 ChangeBackground
    {"効果音の再生", 1},              // 34 PlaySe
    {"BGMの再生", 2},                 // 35 PlayBgm
    {"コードの実行", 0},              // 36 RunCode
};
static_assert(sizeof s_aFlowCommand / sizeof s_aFlowCommand[0] == FLOW_COMMAND_KIND_COUNT);

// Kinds 2 to 21 are flow kinds 17 to 36 under the same names and counts.
constexpr CATALOGENTRY s_aItemCommand[] = {
    {"", 0},                          // 0 None
    {"フローの変更", 2},              // 1 ChangeFlow
    {"ステージクリア", 5},            // 2
    {"ゲームウエイト", 1},            // 3
    {"メッセージ", 17},               // 4
    {"ワープ", 0},                    // 5
    {"ターゲットの設定", 10},         // 6
    {"ステータスの操作", 18},         // 7
    {"ステータスの操作2", 3},         // 8
    {"アイテムの取得", 2},            // 9
    {"グラフィックの変更", 3},        // 10
    {"基本アニメセットの変更", 1},    // 11
    {"アニメの実行", 1},              // 12
    {"エフェクトの実行", 8},          // 13
    {"キャラエフェクトの実行", 3},    // 14
    {"画面エフェクトの実行", 3},      // 15
    {"ピクチャーの表示", 14},         // 16
    {"画面の色を変更", 8},            // 17
    {"背景の変更", 2},                // 18
    {"効果音の再生", 1},              // 19
    {"BGMの再生", 2},                 // 20
    {"コードの実行", 0},              // 21
};
static_assert(sizeof s_aItemCommand / sizeof s_aItemCommand[0] == ITEM_COMMAND_KIND_COUNT);

constexpr const char* s_aFlowTrigger[] = {
    "常時",
    "ダメージを受けた時",
    "衝撃を受けた時",
    "死亡した時",
    "キャラに当たった時",
    "ブロックキャラに当たった時",
    "ブロックキャラに乗っている時",
    "ショットに当たった時",
    "アイテムに当たった時",
    "ブロックに当たった時",
    "自分の左右にブロックが当たった時",
    "自分の左にブロックが当たった時",
    "自分の右にブロックが当たった時",
    "自分の上下にブロックが当たった時",
    "自分の上にブロックが当たった時",
    "自分の下にブロックが当たった時",
    "主人公に乗られている時",
    "キャラに乗られている時",
    "ステージ開始前",
    "なし（フローの操作コマンドで実行）",
};
static_assert(sizeof s_aFlowTrigger / sizeof s_aFlowTrigger[0] == FLOW_TRIGGER_COUNT);

constexpr const char* s_aConditionKind[] = {
    "", "コモン変数条件", "ステージ変数条件", "キャラ変数条件", "ステータス条件", "ステータス条件2", "ステータス条件3", "距離条件",
};
static_assert(sizeof s_aConditionKind / sizeof s_aConditionKind[0] == FLOW_CONDITION_KIND_COUNT);

constexpr const char* s_aConditionMode[] = {"全ての条件が真なら成立", "1つ以上の条件が真なら成立"};
constexpr const char* s_aKeyComboMode[] = {"全てのキーが真なら成立", "1つ以上のキーが真なら成立", "1つだけキーが真なら成立"};
constexpr const char* s_aKeyState[] = {"--", "押", "離"};
constexpr const char* s_aDistanceParty[] = {"主人公", "ターゲット"};
constexpr const char* s_aDistanceMeasure[] = {"横", "前", "後", "縦", "前Y", "後Y", "円"};
constexpr const char* s_aDistanceSide[] = {"以内", "外"};
constexpr const char* s_aCharaState[] = {"左向き", "右向き", "ブロックに乗っている(ブロックキャラも含む)", "画面内にいる"};

constexpr const char* s_aFlowOperation[] = {"開始", "終了", "一時停止", "再開", "削除", "永久停止"};
constexpr const char* s_aFlowScope[] = {"このフロー", "このフロー以外全て", "IDで指定"};
constexpr const char* s_aStageClear[] = {"次のステージへ", "番号で指定", "ワールドクリア"};

constexpr const char* s_aTargetChoice[] = {"主人公", "自分", "最も近いキャラ", "キャラ(キャラIDで指定)"};
constexpr const char* s_aSearchRange[] = {"全範囲（画面内のキャラ優先）", "全範囲", "画面内のみ"};
constexpr const char* s_aSubjectSelfTarget[] = {"自分", "ターゲット"};
constexpr const char* s_aSubjectSelfTargetSystem[] = {"自分", "ターゲット", "システム"};
constexpr const char* s_aSubjectPlayerTarget[] = {"主人公", "ターゲット"};
constexpr const char* s_aSubjectPlayerTargetSystem[] = {"主人公", "ターゲット", "システム"};
constexpr const char* s_aStatusOrVariable[] = {"ステータス", "変数"};
constexpr const char* s_aValueSource[] = {"定数", "乱数", "ステータス", "変数"};
constexpr const char* s_aVariableKind[] = {"コモン変数", "ステージ変数"};
constexpr const char* s_aCalculation[] = {"通常の計算", "最大値に対する％で指定", "現在値に対する％で指定"};
constexpr const char* s_aOn[] = {"ON"};
constexpr const char* s_aEnlargement[] = {"×4", "×9", "×16", "×25", "×36", "×49", "×64", "×81", "×100"};

constexpr const char* s_aMessagePlace[] = {
    "画面中央に表示", "自分の上に表示",   "自分の下に表示", "自分の中心に表示",   "主人公の上に表示",
    "主人公の下に表示", "主人公の中心に表示", "画面座標で指定", "ステージ座標で指定",
};
constexpr const char* s_aDisplayTime[] = {"進行キーが押されるまで表示", "ステージ終了まで表示", "時間で指定"};
constexpr const char* s_aPicturePlace[] = {
    "画面中央に表示", "キャラの中心に表示", "主人公の中心に表示", "画面座標で指定", "ステージ座標で指定",
};
constexpr const char* s_aAnimeRunMode[] = {"通常実行", "反転実行", "往復実行"};
constexpr const char* s_aVisibility[] = {"表示", "非表示", "反転(表示⇔非表示)"};
constexpr const char* s_aPalette[] = {"コモンパレット", "ステージパレット"};
constexpr const char* s_aCommonPaletteOnly[] = {"コモンパレット"};

constexpr const char* s_aOperator[] = {"プレイヤー", "コンピューター"};
constexpr const char* s_aOne[] = {"1"};
constexpr const char* s_aOffOn[] = {"OFF", "ON"};
constexpr const char* s_aArea[] = {
    "画面内全て", "キャラを中心とした円形", "キャラの前方に円形", "キャラを中心とした正方形", "キャラの前方に正方形",
};
constexpr const char* s_aHitRange[] = {
    "キャラ対キャラの当たり判定範囲（推奨）",
    "キャラ対ショットの当たり判定範囲",
    "ショット対キャラの当たり判定範囲",
    "32×32",
};
constexpr const char* s_aScreenRange[] = {"画面内", "X座標のみ画面内", "Y座標のみ画面内", "全範囲"};
constexpr const char* s_aRangeGroupTest[] = {
    "範囲かグループが真なら成立",
    "一度範囲かグループが真になると、以後無条件で成立",
    "範囲とグループが偽なら成立",
};
constexpr const char* s_aGroupUpper[] = {"-", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                         "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr const char* s_aGroupLower[] = {"-", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
                                         "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z"};
constexpr const char* s_aGroupDelete[] = {"全て削除", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                          "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr const char* s_aGroupEdit[] = {"追加", "変更", "削除"};

constexpr const char* s_aAssignOp[] = {"＝", "＋", "－", "×", "÷", "÷ X の余り", "X ％", ""};
constexpr const char* s_aCompareOp[] = {"である", "でない", "以上", "以下", "より上", "より下", ""};
static_assert(sizeof s_aAssignOp / sizeof s_aAssignOp[0] == ASSIGN_OP_COUNT + 1);
static_assert(sizeof s_aCompareOp / sizeof s_aCompareOp[0] == COMPARE_OP_COUNT + 1);

constexpr const char* s_aSwitchVanish[] = {"ON"};
constexpr const char* s_aSwitchOffOn[] = {"OFF", "ON"};
constexpr const char* s_aSwitchFlying[] = {"OFF", "ON (ブロックをすり抜ける)", "ON (ブロックに当たる)", "ON (ブロックに当たると即死)"};
constexpr const char* s_aSwitchInvincible[] = {"OFF", "ON (ショットが当たる)", "ON (ショットがすり抜ける)"};
constexpr const char* s_aSwitchGiant[] = {"しない", "×4", "×9", "×16", "×25", "×36", "×49", "×64", "×81", "×100"};

constexpr int DIRECTION_OF_CODE[] = {0, 2, 3, 6, 7, 8, 9, 10, 11};  // entry 0 depends on the facing

}  // namespace

constinit const cCommandCatalog g_FlowCommandCatalog(s_aFlowCommand);
constinit const cCommandCatalog g_ItemCommandCatalog(s_aItemCommand);

std::string cCommandCatalog::Name(int nKind) const { return Has(nKind) ? Sjis(m_pEntry[nKind].pszName) : std::string(); }

const cCommandCatalog& CatalogOfList(uint8_t byList) { return byList == 0 ? g_FlowCommandCatalog : g_ItemCommandCatalog; }

int FlowKindOfCommand(uint8_t byList, uint8_t byKind) {
  if (byList == 0) return g_FlowCommandCatalog.Has(byKind) ? byKind : -1;
  if (byKind == ItemCommandKind::None) return FlowCommandKind::None;
  if (byKind >= ItemCommandKind::StageClear && g_ItemCommandCatalog.Has(byKind)) return byKind + ITEM_TO_FLOW_KIND;
  return -1;
}

int DirectionFromCode(int nCode, BOOL bFacingRight) {
  if (nCode >= 1 && nCode <= 8) return DIRECTION_OF_CODE[nCode];
  return bFacingRight ? 3 : 2;
}

std::string cLabelTable::Label(int i) const { return i >= 0 && i < m_nCount ? Sjis(m_ppLabel[i]) : std::string(); }

std::string TableText(const char* pszName) { return Sjis(pszName); }

constinit const cLabelTable g_LabelFlowTrigger(s_aFlowTrigger);
constinit const cLabelTable g_LabelConditionKind(s_aConditionKind);
constinit const cLabelTable g_LabelConditionMode(s_aConditionMode);
constinit const cLabelTable g_LabelKeyComboMode(s_aKeyComboMode);
constinit const cLabelTable g_LabelKeyState(s_aKeyState);
constinit const cLabelTable g_LabelDistanceParty(s_aDistanceParty);
constinit const cLabelTable g_LabelDistanceMeasure(s_aDistanceMeasure);
constinit const cLabelTable g_LabelDistanceSide(s_aDistanceSide);
constinit const cLabelTable g_LabelCharaState(s_aCharaState);
constinit const cLabelTable g_LabelFlowOperation(s_aFlowOperation);
constinit const cLabelTable g_LabelFlowScope(s_aFlowScope);
constinit const cLabelTable g_LabelStageClear(s_aStageClear);
constinit const cLabelTable g_LabelTargetChoice(s_aTargetChoice);
constinit const cLabelTable g_LabelSearchRange(s_aSearchRange);
constinit const cLabelTable g_LabelSubjectSelfTarget(s_aSubjectSelfTarget);
constinit const cLabelTable g_LabelSubjectSelfTargetSystem(s_aSubjectSelfTargetSystem);
constinit const cLabelTable g_LabelSubjectPlayerTarget(s_aSubjectPlayerTarget);
constinit const cLabelTable g_LabelSubjectPlayerTargetSystem(s_aSubjectPlayerTargetSystem);
constinit const cLabelTable g_LabelStatusOrVariable(s_aStatusOrVariable);
constinit const cLabelTable g_LabelValueSource(s_aValueSource);
constinit const cLabelTable g_LabelVariableKind(s_aVariableKind);
constinit const cLabelTable g_LabelCalculation(s_aCalculation);
constinit const cLabelTable g_LabelOn(s_aOn);
constinit const cLabelTable g_LabelEnlargement(s_aEnlargement);
constinit const cLabelTable g_LabelMessagePlace(s_aMessagePlace);
constinit const cLabelTable g_LabelDisplayTime(s_aDisplayTime);
constinit const cLabelTable g_LabelPicturePlace(s_aPicturePlace);
constinit const cLabelTable g_LabelAnimeRunMode(s_aAnimeRunMode);
constinit const cLabelTable g_LabelVisibility(s_aVisibility);
constinit const cLabelTable g_LabelPalette(s_aPalette);
constinit const cLabelTable g_LabelCommonPaletteOnly(s_aCommonPaletteOnly);
constinit const cLabelTable g_LabelOperator(s_aOperator);
constinit const cLabelTable g_LabelOne(s_aOne);
constinit const cLabelTable g_LabelOffOn(s_aOffOn);
constinit const cLabelTable g_LabelArea(s_aArea);
constinit const cLabelTable g_LabelHitRange(s_aHitRange);
constinit const cLabelTable g_LabelScreenRange(s_aScreenRange);
constinit const cLabelTable g_LabelRangeGroupTest(s_aRangeGroupTest);
constinit const cLabelTable g_LabelGroupUpper(s_aGroupUpper);
constinit const cLabelTable g_LabelGroupLower(s_aGroupLower);
constinit const cLabelTable g_LabelGroupDelete(s_aGroupDelete);
constinit const cLabelTable g_LabelGroupEdit(s_aGroupEdit);
constinit const cLabelTable g_LabelAssignOp(s_aAssignOp);
constinit const cLabelTable g_LabelCompareOp(s_aCompareOp);

// name, value range, operand range, zero, flag A, flag B
constinit const RANGEENTRY g_StatusTable[STATUS_TABLE_COUNT] = {
    {"キャラ変数", -999999, 999999, -999999, 999999, 0, 0, 1},
    {"HP", 0, 999999, -999999, 999999, 0, 1, 1},
    {"SP", 0, 999999, -999999, 999999, 0, 1, 1},
    {"最大HP", 0, 999999, -999999, 999999, 0, 0, 1},
    {"最大SP", 0, 999999, -999999, 999999, 0, 0, 1},
    {"キャラID", 0, 99, -99, 99, 0, 0, 0},
    {"Z座標", 0, 8, -8, 8, 0, 0, 0},
    {"マーク番号", 0, 119, -121, 119, 0, 0, 0},
    {"視界範囲(hbl)", 0, 40, -40, 40, 0, 0, 1},
    {"体当たりの威力", -999999, 999999, -999999, 999999, 0, 0, 1},
    {"体当たりの衝撃", -20, 20, -20, 20, 0, 0, 1},
    {"防御力", 0, 999999, -999999, 999999, 0, 0, 1},
    {"衝撃耐性", 0, 20, -20, 20, 0, 0, 1},
    {"止まりやすさ", 0, 200, -200, 200, 0, 0, 1},
    {"獲得スコア", -999999, 999999, -999999, 999999, 0, 0, 1},
};

constinit const RANGEENTRY g_SystemValueTable[SYSTEM_VALUE_TABLE_COUNT] = {
    {"時間", 0, 999, -999, 999, 0, 0, 1},
    {"横スクロール速度", -480, 480, -480, 480, 0, 0, 1},
    {"縦スクロール速度", -480, 480, -480, 480, 0, 0, 1},
    {"スコア", 0, 999999, -999999, 999999, 0, 0, 1},
    {"残り人数", 0, 99, -99, 99, 0, 0, 1},
};

constinit const SWITCHENTRY g_CharaSwitchTable[CHARA_SWITCH_COUNT] = {
    {"消滅", 0, 0, 0, cLabelTable(s_aSwitchVanish)},
    {"透明", 0, 1, 0, cLabelTable(s_aSwitchOffOn)},
    {"向き固定", 0, 1, 0, cLabelTable(s_aSwitchOffOn)},
    {"飛行", 0, 3, 0, cLabelTable(s_aSwitchFlying)},
    {"無敵", 0, 2, 0, cLabelTable(s_aSwitchInvincible)},
    {"巨大化", 1, 10, 1, cLabelTable(s_aSwitchGiant)},
    {"オートスクロールとシンクロ", 0, 1, 0, cLabelTable(s_aSwitchOffOn)},
};
