#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "common/debug.hpp"

// The lines that --debug adds to an evaluation. Each function prints only in
// trace mode, so the evaluator calls them unconditionally at its trace points.

// Parenthesis resolver.
void traceResolverStart(std::string_view text);
void tracePass(long long pass);
void tracePositions(std::size_t open, std::size_t close);  // npos shows as -1
void traceGroupContents(std::string_view contents);
void traceGroupValue(float value);
void traceRewrite(std::string_view before, std::string_view after);  // the working text in two pieces
void traceFinalText(std::string_view work);

// Flat evaluator.
void traceSingleOperand(float value);
void traceScanned(std::span<const float> numbers, std::span<const char> operators);
void traceSignsTaken(std::span<const float> numbers, std::span<const char> operators);
void tracePhase(int phase);
void traceSimpleResult(float value);

// One reduction, before and after its operation. These come once per operator,
// so their test of DEBUG is inline: without the trace, a reduction makes no
// call for them. The line after the operation returns the result, so that an
// operation can end with it.
void printStep(std::size_t position, float left, char op, float right);
float printOperation(float left, float right, char op, float result);

inline void traceStep(std::size_t position, float left, char op, float right) {
    if (DEBUG) printStep(position, left, op, right);
}

inline float traceOperation(float left, float right, char op, float result) {
    return DEBUG ? printOperation(left, right, op, result) : result;
}
