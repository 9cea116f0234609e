#include "records/move_shot_labels.h"

namespace {

constexpr const char* s_aTrajectory[] = {
    "直進",
    "主人公を狙う",
    "近いキャラを狙う",
    "ターゲットを狙う",
    "主人公へ誘導",
    "近いキャラへ誘導（対象死亡時、誘導を無効化）",
    "ターゲットへ誘導",
    "近いキャラへ誘導（対象死亡時、対象を変更）",
    "ウェーブ",
    "落下",
};
static_assert(sizeof s_aTrajectory / sizeof s_aTrajectory[0] == TRAJECTORY_COUNT);
constexpr const char* s_aLaunchPattern[] = {"直進A", "直進B", "拡散", "落雷", "爆発"};
constexpr const char* s_aBlockSummon[] = {"ブロックを召喚", "ブロックを消す", "ブロックがなければ召喚、ブロックがあれば消す"};
constexpr const char* s_aSummonPalette[] = {"コモンパレット", "ステージパレット"};
constexpr const char* s_aSummonValue[] = {"パレットの設定に準ずる", "使用者と同じ", "番号で指定"};
constexpr const char* s_aMoveTarget[] = {"方向で指定", "目標座標で指定"};
constexpr const char* s_aMoveTarget3[] = {"方向と距離で指定", "ターゲットからの方向と距離で指定", "目標座標で指定"};
constexpr const char* s_aDirection[] = {"前", "後", "左", "右", "前Y", "後Y", "上", "下", "左上", "左下", "右上", "右下", "入力方向"};
constexpr const char* s_aCoordinates[] = {"配置位置からの相対座標", "相対座標", "絶対座標", "画面座標"};
constexpr const char* s_aCoordinates3[] = {"相対座標", "絶対座標", "画面座標"};
constexpr const char* s_aTurning[] = {"右回り", "左回り", "左向きなら右回り、右向きなら左回り", "左向きなら左回り、右向きなら右回り"};
constexpr const char* s_aFacing[] = {
    "左を向く",
    "右を向く",
    "ターゲットがいる方を向く",
    "ターゲットがいる方の逆を向く",
    "最後にブロックが当たった方を向く",
    "最後にブロックが当たった方の逆を向く",
};
constexpr const char* s_aTiming[] = {"時間と速度を指定", "時間と距離を指定", "速度と距離を指定"};
constexpr const char* s_aTiming2[] = {"時間を指定", "速度を指定"};
constexpr const char* s_aJumpHeight[] = {
    "高さがキーで調節できない",
    "高さがキーで調節できる(主人公のみ有効)",
    "慣性移動速度に応じて高さを決定(主人公のみ有効)",
};
constexpr const char* s_aDistanceUnit[] = {"(hbl)で指定", "(dot)で指定"};

constexpr PARAMDESC NO_PARAM = {"", 0, 0, 0};
constexpr PARAMDESC SPACING = {"間隔(hbl)", 0, 40, 0};
constexpr PARAMDESC TURN_AT = {"軌道変更(hbl)", 0, 40, 0};
constexpr PARAMDESC TARGET_SIDE = {"対象勢力", 0, 7, 0};
constexpr PARAMDESC HOMING_FROM = {"誘導開始(hbl)", 0, 40, 0};
constexpr PARAMDESC HOMING_TO = {"誘導終了(hbl)", 0, 999, 999};

}  // namespace

constinit const cLabelTable g_LabelTrajectory(s_aTrajectory);
constinit const cLabelTable g_LabelLaunchPattern(s_aLaunchPattern);
constinit const cLabelTable g_LabelBlockSummon(s_aBlockSummon);
constinit const cLabelTable g_LabelSummonPalette(s_aSummonPalette);
constinit const cLabelTable g_LabelSummonValue(s_aSummonValue);
constinit const cLabelTable g_LabelMoveTarget(s_aMoveTarget);
constinit const cLabelTable g_LabelMoveTarget3(s_aMoveTarget3);
constinit const cLabelTable g_LabelDirection(s_aDirection);
constinit const cLabelTable g_LabelCoordinates(s_aCoordinates);
constinit const cLabelTable g_LabelCoordinates3(s_aCoordinates3);
constinit const cLabelTable g_LabelTurning(s_aTurning);
constinit const cLabelTable g_LabelFacing(s_aFacing);
constinit const cLabelTable g_LabelTiming(s_aTiming);
constinit const cLabelTable g_LabelTiming2(s_aTiming2);
constinit const cLabelTable g_LabelJumpHeight(s_aJumpHeight);
constinit const cLabelTable g_LabelDistanceUnit(s_aDistanceUnit);

// Six descriptor rows for five named patterns; the sixth row has no name of
// its own and is kept as it stands.
constinit const PARAMDESC g_LaunchPatternParams[LAUNCH_PATTERN_DESC_COUNT][3] = {
    {SPACING, NO_PARAM, NO_PARAM},
    {SPACING, NO_PARAM, NO_PARAM},
    {{"角度", 0, 180, 30}, NO_PARAM, NO_PARAM},
    {SPACING, {"列の数", 1, 50, 1}, {"列の間隔(hbl)", 0, 40, 0}},
    {NO_PARAM, NO_PARAM, NO_PARAM},
    {{"距離(hbl)", 0, 40, 6}, NO_PARAM, NO_PARAM},
};

constinit const PARAMDESC g_TrajectoryParams[TRAJECTORY_COUNT][3] = {
    {NO_PARAM, NO_PARAM, NO_PARAM},
    {TURN_AT, NO_PARAM, NO_PARAM},
    {TURN_AT, TARGET_SIDE, NO_PARAM},
    {TURN_AT, NO_PARAM, NO_PARAM},
    {HOMING_FROM, HOMING_TO, NO_PARAM},
    {HOMING_FROM, HOMING_TO, TARGET_SIDE},
    {HOMING_FROM, HOMING_TO, NO_PARAM},
    {HOMING_FROM, HOMING_TO, TARGET_SIDE},
    {{"波の最大(hbl)", 0, 100, 4}, {"波の速度", 0, 100, 4}, {"開始角度", 0, 359, 0}},
    {TURN_AT, NO_PARAM, NO_PARAM},
};
