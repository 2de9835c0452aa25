// Formatted reading of data files: open, close, whole lines, and the scanning of real numbers,
// from a file or from text in memory. A file is read a character at a time from a buffered
// stream, so no line or number is ever held whole.
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/platform.h"

namespace {

constexpr int kNoChar = -2;  // nothing looked ahead yet (EOF is -1)
constexpr int kBadCall = -1;
// Significant digits kept of one number: a double's decimal expansion never needs more than 767
// to round correctly, so the digits past these cannot change the value read.
constexpr int kMaxSignificantDigits = 800;
// Decimal exponents past these give infinity or zero whatever the digits; clamping keeps the
// running exponent of an absurdly long number from overflowing.
constexpr long kExponentClamp = 100000;
constexpr long kMaxNumbersPerScan = 1L << 24;  // a format's count N must stay below this

struct ScanStream {
  std::FILE* stream = nullptr;
  int ahead = kNoChar;  // the character looked at but not yet taken
  int last = kNoChar;   // the character taken last, to count a CR LF pair as one line end
  int line = 1;         // line of the next character to be taken, from 1
};

// Text in memory, scanned by the same rules as a file.
struct TextSource {
  std::string_view text;
  size_t at = 0;  // the next character to be taken
};

ScanStream streams[kMaxOpenFiles];
int lastScanBytes = 0;  // bytes the last Scan took from its text

ScanStream* StreamOf(int fileHandle) {
  const int slot = fileHandle - 1;
  if (slot < 0 || slot >= kMaxOpenFiles || streams[slot].stream == nullptr) return nullptr;
  return &streams[slot];
}

int Peek(ScanStream& s) {
  if (s.ahead == kNoChar) s.ahead = std::getc(s.stream);
  return s.ahead;
}

int Take(ScanStream& s) {
  const int c = Peek(s);
  s.ahead = kNoChar;
  if (c == '\r' || (c == '\n' && s.last != '\r')) ++s.line;
  s.last = c;
  return c;
}

int Peek(const TextSource& s) {
  return s.at < s.text.size() ? static_cast<unsigned char>(s.text[s.at]) : EOF;
}

int Take(TextSource& s) {
  const int c = Peek(s);
  if (c != EOF) ++s.at;
  return c;
}

bool IsLineEnd(int c) {
  return c == '\n' || c == '\r';
}
bool IsWhite(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(int c) {
  return c >= '0' && c <= '9';
}
// What may end a number: a separator of the data rows, or the end of the file.
bool EndsNumber(int c) {
  return c == EOF || c == ',' || IsWhite(c);
}

// Takes the rest of the current line and its line end (LF, CR LF or a lone CR).
void TakeLineEnd(ScanStream& s) {
  if (Take(s) == '\r' && Peek(s) == '\n') Take(s);
}

// Reads one real number: white space, an optional sign, digits with an optional decimal point,
// an optional exponent. The number must end at a separator or the end of the file; text, a
// number glued to text, and a value too large for a double ("1e999") are no number, and so are
// "nan" and "inf". Nothing after the first character that does not fit is taken.
template <typename Source>
bool ScanReal(Source& s, double* value) {
  while (IsWhite(Peek(s))) Take(s);
  bool negative = false;
  if (Peek(s) == '+' || Peek(s) == '-') negative = Take(s) == '-';

  char digits[kMaxSignificantDigits + 1];
  int kept = 0;
  long pointAt = 0;  // decimal exponent of the digit string read as 0.ddd
  bool anyDigit = false;
  while (IsDigit(Peek(s))) {
    const int c = Take(s);
    anyDigit = true;
    if (kept == 0 && c == '0') continue;
    if (kept < kMaxSignificantDigits) digits[kept++] = static_cast<char>(c);
    if (pointAt < kExponentClamp) ++pointAt;
  }
  if (Peek(s) == '.') {
    Take(s);
    while (IsDigit(Peek(s))) {
      const int c = Take(s);
      anyDigit = true;
      if (kept == 0 && c == '0') {
        if (pointAt > -kExponentClamp) --pointAt;
        continue;
      }
      if (kept < kMaxSignificantDigits) digits[kept++] = static_cast<char>(c);
    }
  }
  if (!anyDigit) return false;

  long exponent = 0;
  if (Peek(s) == 'e' || Peek(s) == 'E') {
    Take(s);
    bool negativeExponent = false;
    if (Peek(s) == '+' || Peek(s) == '-') negativeExponent = Take(s) == '-';
    if (!IsDigit(Peek(s))) return false;
    while (IsDigit(Peek(s))) {
      const int c = Take(s);
      if (exponent < kExponentClamp) exponent = exponent * 10 + (c - '0');
    }
    if (negativeExponent) exponent = -exponent;
  }
  if (!EndsNumber(Peek(s))) return false;

  double magnitude = 0.0;
  if (kept > 0) {
    char text[kMaxSignificantDigits + 32];
    const long decimalExponent = pointAt + exponent;
    const int length =
        std::snprintf(text, sizeof text, "0.%.*se%ld", kept, digits, decimalExponent);
    const auto result = std::from_chars(text, text + length, magnitude);
    if (result.ec == std::errc::result_out_of_range) {
      if (decimalExponent > 0) return false;  // beyond the largest double
      magnitude = 0.0;                        // below the smallest: it reads as zero
    } else if (result.ec != std::errc()) {
      return false;
    }
    if (!std::isfinite(magnitude)) return false;
  }
  *value = negative ? -magnitude : magnitude;
  return true;
}

// Parses "%s>%Nf" or "%s>%Nf[x]": the count N and whether the character ending each number is
// taken as well.
bool ParseRealFormat(const char* format, long* count, bool* takeTerminator) {
  const char* prefix = "%s>%";
  const size_t prefixLength = std::strlen(prefix);
  if (format == nullptr || std::strncmp(format, prefix, prefixLength) != 0) return false;
  const char* p = format + prefixLength;
  long n = 0;
  if (!IsDigit(*p)) return false;
  while (IsDigit(*p)) {
    n = n * 10 + (*p++ - '0');
    if (n >= kMaxNumbersPerScan) return false;
  }
  if (n < 1 || *p++ != 'f') return false;
  *takeTerminator = std::strcmp(p, "[x]") == 0;
  if (!*takeTerminator && *p != '\0') return false;
  *count = n;
  return true;
}

// A free slot for an open stream, or -1.
int FreeSlot() {
  for (int slot = 0; slot < kMaxOpenFiles; ++slot) {
    if (streams[slot].stream == nullptr) return slot;
  }
  return -1;
}

int Adopt(int slot, std::FILE* stream) {
  if (stream == nullptr) return kBadCall;
  streams[slot] = ScanStream{};
  streams[slot].stream = stream;
  return slot + 1;
}

// Reads count numbers from s as the format asks; 1 when all were filled, 0 otherwise.
template <typename Source>
int ScanReals(Source& s, long count, bool takeTerminator, double* numbers) {
  for (long i = 0; i < count; ++i) {
    if (!ScanReal(s, &numbers[i])) return 0;
    if (takeTerminator && Peek(s) != EOF) Take(s);
  }
  return 1;
}

}  // namespace

int OpenFile(const char* path, int action, int, int) {
  if (path == nullptr || action != VAL_READ_ONLY) return kBadCall;
  const int slot = FreeSlot();
  if (slot < 0) return kBadCall;
  // Binary mode: line ends are handled here, the same way on every system.
  return Adopt(slot, std::fopen(path, "rb"));
}

int OpenDescriptor(int descriptor) {
  const int slot = FreeSlot();
  std::FILE* stream = slot < 0 ? nullptr : fdopen(descriptor, "rb");
  if (stream == nullptr) {
    close(descriptor);
    return kBadCall;
  }
  return Adopt(slot, stream);
}

int OpenBytes(const char* bytes, size_t length) {
  const int slot = FreeSlot();
  if (slot < 0 || (bytes == nullptr && length > 0)) return kBadCall;
  static char nothing = '\0';  // a buffer for no bytes at all: never read, since length is 0
  void* buffer = const_cast<char*>(length > 0 ? bytes : &nothing);  // opened for reading only
  return Adopt(slot, fmemopen(buffer, length, "rb"));
}

int CloseFile(int fileHandle) {
  ScanStream* s = StreamOf(fileHandle);
  if (s == nullptr) return kBadCall;
  std::fclose(s->stream);
  *s = ScanStream{};
  return 0;
}

int ReadLineWithin(int fileHandle, char* buffer, int maxChars) {
  ScanStream* s = StreamOf(fileHandle);
  if (s == nullptr || maxChars < 0) return kBadCall;
  int stored = 0;
  const auto end = [&](int result) {
    if (buffer != nullptr) buffer[stored] = '\0';
    return result;
  };
  if (Peek(*s) == EOF) return end(kBadCall);
  while (Peek(*s) != EOF && !IsLineEnd(Peek(*s))) {
    if (stored == maxChars) return end(kLineTooLong);
    const int c = Take(*s);
    if (buffer != nullptr) buffer[stored] = static_cast<char>(c);
    ++stored;
  }
  if (Peek(*s) != EOF) TakeLineEnd(*s);
  return end(stored);
}

int Scan(std::string_view source, const char* format, double* numbers) {
  long count = 0;
  bool takeTerminator = false;
  lastScanBytes = 0;
  if (numbers == nullptr || !ParseRealFormat(format, &count, &takeTerminator)) return kBadCall;
  TextSource text{source};
  const int result = ScanReals(text, count, takeTerminator, numbers);
  lastScanBytes = static_cast<int>(std::min<size_t>(text.at, INT_MAX));
  return result;
}

int NumFmtdBytes() {
  return lastScanBytes;
}

int GetFileLineNumber(int fileHandle) {
  const ScanStream* s = StreamOf(fileHandle);
  return s == nullptr ? kBadCall : s->line;
}
