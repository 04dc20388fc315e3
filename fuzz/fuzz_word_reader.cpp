// The token reader on arbitrary text: after loading, the input's bytes choose a sequence of
// reads (word, real, integer, line, words, word count) until the reader runs out. Reading
// errors are what a damaged file gives and are expected; anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "word_reader.h"

using korva::project::EInOutError;
using korva::project::TWordReader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TWordReader reader = TWordReader::FromText(text);
  // The choice of each read comes from the input itself, walking it from its end, so that
  // the same bytes shape both the text and the reads done on it.
  std::size_t pick = size;
  std::string s;
  // Every read consumes at least one word or one line or throws at the end of the text, so
  // the loop ends; a read that leaves the position where it was is a finding.
  while (!reader.Eof()) {
    const unsigned op = pick > 0 ? data[--pick] % 6 : 0;
    const int line = reader.Line();
    const int item = reader.Item();
    try {
      switch (op) {
        case 0: reader.ReadWord(); break;
        case 1: reader.ReadFloat(); break;
        case 2: reader.ReadInteger(); break;
        case 3: reader.ReadLine(s); break;
        case 4: reader.ReadWords(s); break;
        default: reader.CountWordsLine(); break;
      }
    } catch (const EInOutError&) {
      // A conversion error consumes its word; running out of words ends the text.
    }
    if (reader.Line() < 0 || reader.Line() > reader.GetLineCount()) __builtin_trap();
    if (!reader.Eof() && reader.Line() == line && reader.Item() == item) {
      // ReadWords stops before a number without consuming it; the next read takes it.
      if (op != 4) __builtin_trap();
      reader.ReadWord();
    }
    (void)reader.GetCurrentLineWordCount();
    (void)reader.GetAtStartOfLine();
  }
  return 0;
}
