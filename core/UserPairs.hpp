// UserPairs.hpp: the user's own word pairs, which win over every shipped phrase and character.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class PhraseDirectionIndex;

// Pairs FROM -> TO from a UTF-8 text file, one a line as FROM<TAB>TO; a '#' starts a comment, to the line's
// end (the spaces before it go with it), and lines with nothing else are passed over. Held in GBK, as
// conversion works on stretches of characters GBK holds. Fixed once loaded.
class CUserPairs {
  public:
    CUserPairs();
    ~CUserPairs();

    // Reads the file; false, with error naming the line (and nothing held), for a line that is not
    // FROM<TAB>TO with FROM not empty, for text that is not UTF-8, for characters GBK cannot hold, or for a
    // FROM given another TO before; false with an error too when the file cannot be read.
    bool Load(const std::string& path, std::string& error);
    bool Empty() const;
    const PhraseDirectionIndex& Index() const { return *m_index; }

    // Cuts GBK text where the pairs match, from the left, the longest at each place: calls between(from, to)
    // for each stretch that no pair covers (the last one too, empty or not) and pair(counterpart, size)
    // after each, in text order.
    void Cut(const char* text, std::size_t size, const std::function<void(std::size_t, std::size_t)>& between,
             const std::function<void(const char*, std::size_t)>& pair) const;

  private:
    std::unique_ptr<PhraseDirectionIndex> m_index;
};

// The file the window reads at its start when it is there, beside the table.
extern const char kUserPairsFileName[];
