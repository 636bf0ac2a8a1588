#include <gtest/gtest.h>

#include <string>

#include "common/debug.hpp"
#include "tests/generated_expressions.hpp"
#include "tests/reference/compare.hpp"

namespace {

TEST(Differential, AgreesWithTheReferenceOnRandomExpressions) {
    int differences = 0;
    for (const auto& text : generatedExpressions()) {
        for (bool trace : {false, true}) {
            DEBUG = trace;
            std::string difference = differenceFromReference(text);
            EXPECT_EQ(difference, "")
                << "input " << testing::PrintToString(text) << (trace ? " with the trace" : "");
            differences += difference.empty() ? 0 : 1;
        }
        if (differences >= 5) break;
    }
    DEBUG = false;
}

}  // namespace
