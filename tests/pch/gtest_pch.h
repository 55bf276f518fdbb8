// Precompiled once for the tests built on GoogleTest: the framework and the standard
// headers nearly every one of them includes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>
