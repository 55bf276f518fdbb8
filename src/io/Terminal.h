// The console a command-line program runs in: whether a stream is a terminal, and
// reading a secret (the gateway password) with the echo off.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace vorel {

bool IsTerminal(std::FILE* stream);

// Prints `prompt` on stderr and reads one line from the terminal without echoing
// it. Nothing when there is no terminal or the input ended.
std::optional<std::string> ReadSecretLine(const std::string& prompt);

}  // namespace vorel
