// Hands the statement parse to the host's parser.
#pragma once

struct kes_gramdesc;

extern "C" {
// Installs the token reader, semantic routine and parser anchor in the descriptor
// when they are not set yet, then has the host parse the step's statements. Returns
// the parser's result. A failing gate ends the step with 1012.
int xsparse(kes_gramdesc* desc, void* arg);
}
