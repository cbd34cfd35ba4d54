// Tables for writing amounts in Chinese capital numerals.
#pragma once

namespace aux {

// Digits 0 to 9.
inline constexpr const char16_t* SAuxCapitalDigits[10] = {u"零", u"壹", u"贰", u"叁", u"肆",
                                                         u"伍", u"陆", u"柒", u"捌", u"玖"};
// Place units: ones, tens, hundreds, thousands.
inline constexpr const char16_t* SAuxCapitalPlaces[4] = {u"", u"拾", u"佰", u"仟"};
// Group units: yuan, ten thousand, hundred million.
inline constexpr const char16_t* SAuxCapitalGroups[3] = {u"元", u"万", u"亿"};

}  // namespace aux
