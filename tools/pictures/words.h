// The lettering of the data set's pictures, taken from the table's words
// (core/data_set.h) so that what a picture shows and what it says as text
// are one string.
#pragma once

#include <string>
#include <vector>

// The lines of a picture's words; none where it has none.
std::vector<std::string> pictureWords(int key);
// Line i of a picture's words (checked: a line the table lacks stops the
// generator rather than drawing nothing).
std::string wordsLine(int key, size_t i);
// The two columns of a line set in two ('\t' between them).
std::pair<std::string, std::string> wordsColumns(const std::string& line);

// Where drawText notes each string it sets, while set: `mkpictures --words`
// compares them with the table.
extern std::vector<std::string>* drawnText;

// mkpictures --words: every picture with words drawn (and dropped), each
// string it set printed as "name<TAB>string".
bool printDrawnWords();
