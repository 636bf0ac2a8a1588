#pragma once

#include <string>
#include <vector>

// The same 4,000 random expressions on every run and on every machine, half
// of them well formed and half breaking every rule: numbers of every form,
// groups nested and unmatched, operators doubled, bytes that mean nothing.
std::vector<std::string> generatedExpressions();
