#include "foundation/SExpression.h"

#include "foundation/Check.h"
#include "foundation/Str.h"

#include <climits>

namespace tovren {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t'; }

// Characters the atom scan has to look at: the four that end an atom, and the quote.
struct AtomStops {
  bool stops[256] = {};
  constexpr AtomStops() {
    stops[static_cast<unsigned char>(' ')] = true;
    stops[static_cast<unsigned char>('\t')] = true;
    stops[static_cast<unsigned char>('(')] = true;
    stops[static_cast<unsigned char>(')')] = true;
    stops[static_cast<unsigned char>('"')] = true;
  }
};

constexpr AtomStops atomStops;

// Index one past the atom that starts at start: separators and parentheses inside
// double quotes belong to the atom; an unclosed quote runs to the end of the text.
std::size_t atomEnd(const std::string& text, std::size_t start) {
  const char* data = text.data();
  const std::size_t length = text.length();
  bool quoted = false;
  std::size_t j = start;
  for (; j < length; ++j) {
    const char c = data[j];
    if (!atomStops.stops[static_cast<unsigned char>(c)]) {
      continue;
    }
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted) {
      break;
    }
  }
  return j;
}

// The first block of a tree's memory, per character of its text: a see message's tree
// fits, so the parse asks for memory about once.
constexpr std::size_t kTreeBytesPerCharacter = 16;

}  // namespace

SExpElement::~SExpElement() = default;

SExpAtomic::SExpAtomic(const std::string& value, unsigned int& pos) : value(readAtom(value, pos)) {}

std::string SExpAtomic::readAtom(const std::string& value, unsigned int& pos) {
  TOVREN_CHECK(pos < value.length());
  const std::size_t start = pos;
  const std::size_t end = atomEnd(value, start);
  pos = static_cast<unsigned int>(end - 1);
  return std::string(value, start, end - start);
}

int SExpAtomic::asInt() const { return Str::toInt(value); }

float SExpAtomic::asFloat() const { return Str::toFloat(value); }

char SExpAtomic::asChar() const { return Str::toChar(value); }

bool SExpAtomic::asBool() const { return Str::toBool(value); }

SExpression::SExpression(const std::string& value, unsigned int& pos)
    : memory(std::make_unique<std::pmr::monotonic_buffer_resource>(
          kTreeBytesPerCharacter * (pos < value.length() ? value.length() - pos : 0))),
      elements(memory.get()),
      indices(memory.get()) {
  parse(value, pos, *memory);
}

SExpression::SExpression(const std::string& value, unsigned int& pos,
                         std::pmr::memory_resource& memory)
    : elements(&memory), indices(&memory) {
  parse(value, pos, memory);
}

SExpression::~SExpression() {
  // The memory itself goes with the top-level list.
  for (SExpElement* element : elements) element->~SExpElement();
}

void SExpression::parse(const std::string& value, unsigned int& pos,
                        std::pmr::memory_resource& memory) {
  TOVREN_CHECK_NAMED(pos < value.length() && value[pos] == '(', "value[pos] == '('");
  // Most lists of the server's messages hold a few elements: one block for them.
  elements.reserve(4);
  unsigned int i = pos;
  // Every pass moves i forward, so the loop ends at the closing ")" or the check.
  for (;;) {
    ++i;
    TOVREN_CHECK(i < value.length());
    const char c = value[i];
    if (c == ')') {
      pos = i;
      return;
    }
    if (c == '(') {
      auto* child = new (memory.allocate(sizeof(SExpression), alignof(SExpression)))
          SExpression(value, i, memory);
      if (!child->elements.empty() && child->elements[0]->type() == SExpType::Atom) {
        const auto& header = static_cast<const SExpAtomic&>(*child->elements[0]).asString();
        indices[header] = static_cast<int>(elements.size());
      }
      elements.push_back(child);
    } else if (!isSeparator(c)) {
      elements.push_back(new (memory.allocate(sizeof(SExpAtomic), alignof(SExpAtomic)))
                             SExpAtomic(value, i));
    }
  }
}

bool SExpression::isWellFormed(const std::string& text) {
  const std::size_t listLength = firstListLength(text);
  return listLength > 0 && text.find_first_not_of(" \t\r\n", listLength) == std::string::npos;
}

std::size_t SExpression::firstListLength(const std::string& text) {
  const std::size_t length = text.length();
  // The parser counts positions in unsigned int.
  if (length == 0 || length >= UINT_MAX || text[0] != '(') {
    return 0;
  }
  std::size_t first = 1;
  while (first < length && isSeparator(text[first])) {
    ++first;
  }
  if (first >= length || text[first] == '(' || text[first] == ')') {
    return 0;
  }

  unsigned int depth = 1;
  std::size_t i = 1;
  for (; i < length; ++i) {
    const char c = text[i];
    if (c == '(') {
      if (++depth > maxWellFormedDepth) {
        return 0;
      }
    } else if (c == ')') {
      if (--depth == 0) {
        break;
      }
    } else if (!isSeparator(c)) {
      // Not a separator nor a parenthesis, so the atom holds at least this character.
      i = atomEnd(text, i) - 1;
    }
  }
  return depth == 0 ? i + 1 : 0;
}

std::string SExpression::toString() const {
  std::string out;
  appendTo(out);
  return out;
}

void SExpression::appendTo(std::string& out) const {
  out += '(';
  for (const auto& element : elements) {
    if (element->type() == SExpType::List) {
      static_cast<const SExpression&>(*element).appendTo(out);
    } else {
      out += static_cast<const SExpAtomic&>(*element).asString();
    }
    out += ' ';
  }
  if (elements.empty()) {
    out += ')';
  } else {
    out.back() = ')';
  }
}

SExpElement* SExpression::operator[](unsigned int index) {
  TOVREN_CHECK_NAMED(index < elements.size(), "index >= 0 && index < elements.size()");
  return elements[index];
}

const SExpElement* SExpression::operator[](unsigned int index) const {
  TOVREN_CHECK_NAMED(index < elements.size(), "index >= 0 && index < elements.size()");
  return elements[index];
}

const SExpression& SExpression::operator[](const std::string& header) const {
  const auto it = indices.find(header);
  TOVREN_CHECK(it != indices.end());
  return static_cast<const SExpression&>(*elements[it->second]);
}

bool SExpression::hasSExpWithHeader(const std::string& header) const {
  return indices.find(header) != indices.end();
}

}  // namespace tovren
