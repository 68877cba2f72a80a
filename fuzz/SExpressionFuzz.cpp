// Any text through the well-formedness test and, where it passes, the parser: the test
// and the parser must agree on where the list ends, and a parsed message must read back
// the same after being written out.

#include "foundation/SExpression.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using tovren::SExpAtomic;
using tovren::SExpElement;
using tovren::SExpression;
using tovren::SExpType;

void expect(bool holds, const char* what, const std::string& text) {
  if (holds) return;
  std::fprintf(stderr, "%s: %s\n", what, text.c_str());
  std::abort();
}

// Every lookup by header finds a list headed by that atom, as the message readers use it.
void walk(const SExpression& list) {
  for (unsigned int i = 0; i < list.size(); ++i) {
    const SExpElement* element = list[i];
    if (element->type() != SExpType::List) continue;
    const auto& child = static_cast<const SExpression&>(*element);
    walk(child);
    if (child.size() == 0 || child[0]->type() != SExpType::Atom) continue;
    const std::string& header = static_cast<const SExpAtomic*>(child[0])->asString();
    expect(list.hasSExpWithHeader(header), "header not found", header);
    const SExpression& found = list[header];
    expect(found.size() > 0 && found[0]->type() == SExpType::Atom &&
               static_cast<const SExpAtomic*>(found[0])->asString() == header,
           "header finds another list", header);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool wellFormed = SExpression::isWellFormed(text);
  const std::size_t length = SExpression::firstListLength(text);
  expect(!wellFormed || length > 0, "well-formed text without a first list", text);
  if (length == 0) return 0;

  unsigned int pos = 0;
  const SExpression parsed(text, pos);
  expect(pos + 1 == length, "the parser and the test end the list apart", text);
  expect(parsed.size() > 0 && parsed[0]->type() == SExpType::Atom, "list without a header", text);
  walk(parsed);

  const std::string written = parsed.toString();
  expect(SExpression::isWellFormed(written), "written text is not well-formed", written);
  unsigned int again = 0;
  const SExpression reread(written, again);
  expect(reread.toString() == written, "written text reads back differently", written);
  return 0;
}
