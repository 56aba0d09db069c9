// Cases taken from the published tables of the substitution table, each
// written with its row numbers and exact code points.
#pragma once

#include <vector>

namespace glimvane::testing {

struct SharedTarget {
  char16_t target;
  std::vector<int> rows;  // ascending; the first row's source wins under reverse
};

struct RowCase {
  int row;
  char16_t source;
  char16_t target;
};

// A source that does not come back from a forward and then a reverse
// conversion, because an earlier row shares its target.
struct RoundTripLoss {
  int row;
  char16_t source;
  char16_t target;
  char16_t comes_back_as;
  int winning_row;
};

inline const SharedTarget kSharedTargets[] = {
    {u'\x54CB', {1, 21}},  // 哋 1=的 21=地
    {u'\x838B', {29, 327}},  // 莋 29=作 327=做
    {u'\x6C78', {53, 479, 490}},  // 汸 53=方 479=防 490=访
    {u'\x70B7', {54, 453, 504}},  // 炷 54=主 453=住 504=注
    {u'\x5C12', {134, 477}},  // 尒 134=小 477=尔
    {u'\x59E0', {161, 517}},  // 姠 161=向 517=响
    {u'\x6C5C', {169, 442}},  // 汜 169=记 442=纪
    {u'\x51CA', {219, 420}},  // 凊 219=情 420=清
    {u'\x5991', {236, 539}},  // 妑 236=把 539=巴
    {u'\x6CF9', {239, 550}},  // 泹 239=但 550=担
    {u'\x6D57', {244, 577}},  // 浗 244=求 577=球
    {u'\x53D2', {261, 492}},  // 叒 261=又 492=双
    {u'\x927D', {284, 571}},  // 鉽 284=式 571=试
    {u'\x81F8', {302, 520}},  // 臸 302=至 520=致
    {u'\x59C3', {307, 656}},  // 姃 307=证 656=征
    {u'\x5ABE', {332, 527}},  // 媾 332=构 527=购
    {u'\x8CA1', {336, 436, 555}},  // 財 336=才 436=财 555=材
    {u'\x8A76', {360, 590}},  // 詶 360=州 590=洲
    {u'\x549C', {387, 423}},  // 咜 387=它 423=她
    {u'\x6236', {396, 400}},  // 戶 396=护 400=户
    {u'\x70EE', {397, 685}},  // 烮 397=列 685=烈
    {u'\x6F52', {446, 643}},  // 潒 446=象 643=像
    {u'\x5A16', {472, 536}},  // 娖 472=足 536=促
    {u'\x65E3', {478, 709}},  // 旣 478=即 709=既
    {u'\x5FF2', {572, 658}},  // 忲 572=太 658=态
    {u'\x60A2', {583, 594}},  // 悢 583=粮 594=良
    {u'\x83C5', {688, 691}},  // 菅 688=馆 691=官
};

inline const RowCase kSymbolRows[] = {
    {2, u'\x4E00', u'\x2460'},  // 一 ① CIRCLED DIGIT ONE
    {35, u'\x65E5', u'\x3116'},  // 日 ㄖ BOPOMOFO LETTER R
    {103, u'\x4E4B', u'\x3068'},  // 之 と HIRAGANA LETTER TO
    {144, u'\x5B50', u'\x3075'},  // 子 ふ HIRAGANA LETTER HU
    {185, u'\x4E8C', u'\x2461'},  // 二 ② CIRCLED DIGIT TWO
    {252, u'\x56DB', u'\x2463'},  // 四 ④ CIRCLED DIGIT FOUR
    {496, u'\x513F', u'\x30EB'},  // 儿 ル KATAKANA LETTER RU
    {576, u'\x4E03', u'\x2466'},  // 七 ⑦ CIRCLED DIGIT SEVEN
};

inline const RowCase kLookAlikeRows[] = {
    {22, u'\x5E02', u'\x5DFF'},  // 市 巿
    {70, u'\x672C', u'\x5932'},  // 本 夲
    {130, u'\x5546', u'\x5547'},  // 商 啇
    {140, u'\x5DF2', u'\x5DF3'},  // 已 巳
    {154, u'\x672F', u'\x672E'},  // 术 朮
    {155, u'\x660E', u'\x7700'},  // 明 眀
    {164, u'\x7F8E', u'\x7F99'},  // 美 羙
    {165, u'\x7531', u'\x7534'},  // 由 甴
    {173, u'\x5F3A', u'\x5F37'},  // 强 強
    {194, u'\x897F', u'\x8980'},  // 西 覀
    {195, u'\x53E3', u'\x56D7'},  // 口 囗
    {279, u'\x51E0', u'\x51E2'},  // 几 凢
    {335, u'\x6216', u'\x6213'},  // 或 戓
    {342, u'\x6613', u'\x661C'},  // 易 昜
    {346, u'\x56DE', u'\x518B'},  // 回 冋
    {384, u'\x5FB7', u'\x5FB3'},  // 德 徳
    {400, u'\x6237', u'\x6236'},  // 户 戶
    {451, u'\x5BCC', u'\x51A8'},  // 富 冨
    {477, u'\x5C14', u'\x5C12'},  // 尔 尒
    {496, u'\x513F', u'\x30EB'},  // 儿 ル
    {528, u'\x5C4A', u'\x5C46'},  // 届 屆
    {578, u'\x4FEE', u'\x4FE2'},  // 修 俢
    {606, u'\x5668', u'\x5650'},  // 器 噐
    {612, u'\x7530', u'\x7536'},  // 田 甶
    {620, u'\x8A00', u'\x8A01'},  // 言 訁
    {649, u'\x65E9', u'\x7681'},  // 早 皁
    {695, u'\x53E6', u'\x53E7'},  // 另 叧
    {709, u'\x65E2', u'\x65E3'},  // 既 旣
};

inline const RoundTripLoss kRoundTripLosses[] = {
    {21, u'\x5730', u'\x54CB', u'\x7684', 1},  // 地 -> 哋 -> 的
    {327, u'\x505A', u'\x838B', u'\x4F5C', 29},  // 做 -> 莋 -> 作
    {400, u'\x6237', u'\x6236', u'\x62A4', 396},  // 户 -> 戶 -> 护
    {420, u'\x6E05', u'\x51CA', u'\x60C5', 219},  // 清 -> 凊 -> 情
    {423, u'\x5979', u'\x549C', u'\x5B83', 387},  // 她 -> 咜 -> 它
    {436, u'\x8D22', u'\x8CA1', u'\x624D', 336},  // 财 -> 財 -> 才
    {442, u'\x7EAA', u'\x6C5C', u'\x8BB0', 169},  // 纪 -> 汜 -> 记
    {453, u'\x4F4F', u'\x70B7', u'\x4E3B', 54},  // 住 -> 炷 -> 主
    {477, u'\x5C14', u'\x5C12', u'\x5C0F', 134},  // 尔 -> 尒 -> 小
    {479, u'\x9632', u'\x6C78', u'\x65B9', 53},  // 防 -> 汸 -> 方
    {490, u'\x8BBF', u'\x6C78', u'\x65B9', 53},  // 访 -> 汸 -> 方
    {492, u'\x53CC', u'\x53D2', u'\x53C8', 261},  // 双 -> 叒 -> 又
    {504, u'\x6CE8', u'\x70B7', u'\x4E3B', 54},  // 注 -> 炷 -> 主
    {517, u'\x54CD', u'\x59E0', u'\x5411', 161},  // 响 -> 姠 -> 向
    {520, u'\x81F4', u'\x81F8', u'\x81F3', 302},  // 致 -> 臸 -> 至
    {527, u'\x8D2D', u'\x5ABE', u'\x6784', 332},  // 购 -> 媾 -> 构
    {536, u'\x4FC3', u'\x5A16', u'\x8DB3', 472},  // 促 -> 娖 -> 足
    {539, u'\x5DF4', u'\x5991', u'\x628A', 236},  // 巴 -> 妑 -> 把
    {550, u'\x62C5', u'\x6CF9', u'\x4F46', 239},  // 担 -> 泹 -> 但
    {555, u'\x6750', u'\x8CA1', u'\x624D', 336},  // 材 -> 財 -> 才
    {571, u'\x8BD5', u'\x927D', u'\x5F0F', 284},  // 试 -> 鉽 -> 式
    {577, u'\x7403', u'\x6D57', u'\x6C42', 244},  // 球 -> 浗 -> 求
    {590, u'\x6D32', u'\x8A76', u'\x5DDE', 360},  // 洲 -> 詶 -> 州
    {594, u'\x826F', u'\x60A2', u'\x7CAE', 583},  // 良 -> 悢 -> 粮
    {643, u'\x50CF', u'\x6F52', u'\x8C61', 446},  // 像 -> 潒 -> 象
    {656, u'\x5F81', u'\x59C3', u'\x8BC1', 307},  // 征 -> 姃 -> 证
    {658, u'\x6001', u'\x5FF2', u'\x592A', 572},  // 态 -> 忲 -> 太
    {685, u'\x70C8', u'\x70EE', u'\x5217', 397},  // 烈 -> 烮 -> 列
    {691, u'\x5B98', u'\x83C5', u'\x9986', 688},  // 官 -> 菅 -> 馆
    {709, u'\x65E2', u'\x65E3', u'\x5373', 478},  // 既 -> 旣 -> 即
};

}  // namespace glimvane::testing
