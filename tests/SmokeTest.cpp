#include <gtest/gtest.h>

#include "far/FarAbi.hpp"

TEST(Abi, StartupRecordKeepsEditorControl) { EXPECT_GT(far::kKeptStartupBytes, 0u); }
