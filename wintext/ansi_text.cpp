#include "ansi_text.h"

#include <windows.h>

namespace wintext {
namespace {

std::string Encode(UINT codePage, DWORD flags, std::wstring_view text, BOOL* usedDefault) {
  if (text.empty()) return {};
  const int wide = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(codePage, flags, text.data(), wide, nullptr, 0, nullptr, usedDefault);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size > 0)
    WideCharToMultiByte(codePage, flags, text.data(), wide, bytes.data(), size, nullptr,
                        usedDefault);
  return bytes;
}

std::wstring Decode(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int narrow = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(codePage, 0, bytes.data(), narrow, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  if (size > 0) MultiByteToWideChar(codePage, 0, bytes.data(), narrow, text.data(), size);
  return text;
}

}  // namespace

std::optional<std::string> ToAnsi(std::wstring_view text) {
  if (text.empty()) return std::string();
  // UTF-8 as the ANSI code page takes neither the best-fit flag nor the default-char report.
  if (GetACP() == CP_UTF8) {
    std::string bytes = Encode(CP_UTF8, WC_ERR_INVALID_CHARS, text, nullptr);
    if (bytes.empty()) return std::nullopt;
    return bytes;
  }
  BOOL usedDefault = FALSE;
  std::string bytes = Encode(CP_ACP, WC_NO_BEST_FIT_CHARS, text, &usedDefault);
  if (usedDefault || bytes.empty()) return std::nullopt;
  return bytes;
}

std::wstring FromAnsi(std::string_view text) { return Decode(CP_ACP, text); }

bool ShowsExactly(std::string_view text) {
  if (text.empty()) return true;
  const int valid = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                        static_cast<int>(text.size()), nullptr, 0);
  return valid > 0 && ToAnsi(FromAnsi(text)) == text;
}

std::string ToUtf8(std::wstring_view text) { return Encode(CP_UTF8, 0, text, nullptr); }

std::wstring FromUtf8(std::string_view text) { return Decode(CP_UTF8, text); }

}  // namespace wintext
