// Problems3DS: the 3DS reader's problem lines in Dutch, for the lines a map
// prints about its models and for the inspector kolvar-3ds. The reader,
// plain C++ for the fuzzer, writes them in English; each line is matched
// against the reader's wordings here and the numbers and names carried over.
#pragma once

#include <string>

// The problem line in Dutch; a line of no known wording comes back unchanged.
std::string dutchProblem3DS(const std::string& english);
