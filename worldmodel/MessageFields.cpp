#include "worldmodel/MessageFields.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace tovren {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Moves i past the digits from i on; how many there were.
std::size_t skipDigits(const std::string& text, std::size_t& i) {
  const std::size_t start = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  return i - start;
}

void skipSign(const std::string& text, std::size_t& i) {
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
}

}  // namespace

const SExpAtomic* MessageFields::atomAt(const SExpression& list, unsigned int index) {
  if (index >= list.size()) return nullptr;
  const SExpElement* element = list[index];
  return element->type() == SExpType::Atom ? static_cast<const SExpAtomic*>(element) : nullptr;
}

const SExpression* MessageFields::listAt(const SExpression& list, unsigned int index) {
  if (index >= list.size()) return nullptr;
  const SExpElement* element = list[index];
  return element->type() == SExpType::List ? static_cast<const SExpression*>(element) : nullptr;
}

bool MessageFields::isAtom(const SExpression& list, unsigned int index, const char* text) {
  const SExpAtomic* atom = atomAt(list, index);
  return atom != nullptr && atom->asString() == text;
}

bool MessageFields::readInt(const SExpression& list, unsigned int index, int& out) {
  const SExpAtomic* atom = atomAt(list, index);
  const std::optional<int> value = atom == nullptr ? std::nullopt : decimalInt(atom->asString());
  if (value) out = *value;
  return value.has_value();
}

bool MessageFields::readFloat(const SExpression& list, unsigned int index, float& out) {
  const SExpAtomic* atom = atomAt(list, index);
  const std::optional<float> value =
      atom == nullptr ? std::nullopt : decimalFloat(atom->asString());
  if (value) out = *value;
  return value.has_value();
}

std::optional<int> MessageFields::decimalInt(const std::string& text) {
  std::size_t i = 0;
  skipSign(text, i);
  const bool negative = i > 0 && text[0] == '-';
  // One past INT_MAX is the magnitude of INT_MIN; nothing larger is kept.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long magnitude = 0;
  const std::size_t first = i;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) return std::nullopt;
  }
  if (i == first || i != text.size()) return std::nullopt;
  return static_cast<int>(negative ? -magnitude : magnitude);
}

std::optional<float> MessageFields::decimalFloat(const std::string& text) {
  // The shape is checked here, so strtof meets nothing it would read in its own ways.
  std::size_t i = 0;
  skipSign(text, i);
  std::size_t mantissaDigits = skipDigits(text, i);
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissaDigits += skipDigits(text, i);
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    skipSign(text, i);
    if (skipDigits(text, i) == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  const float value = std::strtof(text.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace tovren
