#include <gtest/gtest.h>

#include "tests/support/test_machine.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing_support::SetUpTestMachine();
  return RUN_ALL_TESTS();
}
