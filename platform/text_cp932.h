// Shift-JIS (code page 932) text: the byte classes, and the conversions to
// and from UTF-8 that happen only at the program's edges.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Lead bytes 81-9F and E0-FC; trail bytes 40-7E and 80-FC.
inline bool IsSjisLeadByte(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsSjisTrailByte(uint8_t c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// CP932 bytes to UTF-8. Bytes that do not convert become U+FFFD, so the
// result is always valid UTF-8 (it only ever goes to people or file names).
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 to CP932. Characters that CP932 cannot hold make the conversion fail:
// the result is then empty and *pbOk (when given) is false.
std::string Utf8ToCp932(std::string_view utf8, bool* pbOk = nullptr);

// The CP932 bytes of a text written in the sources as UTF-8, for the
// system's own texts ("エラー", "%s のロードに失敗！"...). The texts are known
// to convert; one that does not is a programming error and aborts.
std::string Sjis(std::string_view utf8Literal);
