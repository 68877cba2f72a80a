#pragma once

#include <functional>
#include <map>
#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

namespace tovren {

// What a parsed element is.
enum class SExpType { Atom, List };

// One parsed element of a server message: an atom or a list.
class SExpElement {
 public:
  SExpElement() = default;
  SExpElement(const SExpElement&) = delete;
  SExpElement& operator=(const SExpElement&) = delete;
  virtual ~SExpElement();

  virtual SExpType type() const = 0;
  virtual std::string toString() const = 0;
};

// An atom: its text exactly as it stood in the message, double quotes included.
class SExpAtomic : public SExpElement {
 public:
  // Reads the atom that starts at value[pos]; pos is left on its last character.
  SExpAtomic(const std::string& value, unsigned int& pos);

  SExpType type() const override { return SExpType::Atom; }
  std::string toString() const override { return value; }

  const std::string& asString() const { return value; }
  int asInt() const;
  float asFloat() const;
  char asChar() const;
  bool asBool() const;

 private:
  static std::string readAtom(const std::string& value, unsigned int& pos);

  std::string value;
};

// A list. The top-level list owns the whole tree, so deleting it frees every element.
class SExpression : public SExpElement {
 public:
  // Lists nested deeper than this are refused by isWellFormed (no server message
  // comes near it); it keeps the recursive parse of any accepted text shallow.
  static constexpr unsigned int maxWellFormedDepth = 64;

  // Parses the list whose "(" stands at value[pos]; pos is left on its closing ")".
  // Malformed text stops the process: check untrusted text with isWellFormed first.
  SExpression(const std::string& value, unsigned int& pos);
  ~SExpression() override;

  // Whether the text is one list that the parser reads without stopping: "(" at
  // index 0, balanced under the parser's own quote and separator rules, element 0 an
  // atom, nesting at most maxWellFormedDepth, and nothing but white space after it.
  static bool isWellFormed(const std::string& text);
  // The length of the list at the start of the text, up to and including its ")", when
  // that list passes the same test; 0 when it does not. What follows is not looked at.
  static std::size_t firstListLength(const std::string& text);

  SExpType type() const override { return SExpType::List; }
  // "(" and the elements' texts separated by single blanks, then ")".
  std::string toString() const override;

  unsigned int size() const { return static_cast<unsigned int>(elements.size()); }

  // The element at the index; owned by this list.
  SExpElement* operator[](unsigned int index);
  const SExpElement* operator[](unsigned int index) const;

  // The last child list whose first element is an atom with this text.
  const SExpression& operator[](const std::string& header) const;
  bool hasSExpWithHeader(const std::string& header) const;

 private:
  using Indices = std::map<std::string, int, std::less<>,
                           std::pmr::polymorphic_allocator<std::pair<const std::string, int>>>;

  // A list inside the tree whose elements live in the memory of the top-level list.
  SExpression(const std::string& value, unsigned int& pos, std::pmr::memory_resource& memory);
  void parse(const std::string& value, unsigned int& pos, std::pmr::memory_resource& memory);
  void appendTo(std::string& out) const;

  // Every list and atom of a tree, with their tables, in a few blocks that the top-level
  // list holds and frees at once: a message is parsed without an allocation per element.
  // Null in the lists inside the tree. Declared first, so it goes last.
  std::unique_ptr<std::pmr::monotonic_buffer_resource> memory;
  // Built in place in the tree's memory; destroyed by this list.
  std::pmr::vector<SExpElement*> elements;
  // Header of a child list -> its position in elements.
  Indices indices;
};

}  // namespace tovren
