#include "input/emulated_key_names.h"

namespace vantorel {

// Positions: row 2 is x z a q 1 (10-14), row 10 is \ @ ] [ : (50-54), and
// row 11 holds _ (55), ^ (58) and - (59).
const EmulatedKeyNameTable kEmulatedKeyNameTable = {{
    {12, {"a", "A", "Ctrl A"}},           {25, {"b", "B", "Ctrl B"}},
    {15, {"c", "C", "Ctrl C"}},           {16, {"d", "D", "Ctrl D"}},
    {22, {"e", "E", "Ctrl E"}},           {20, {"f", "F", "Ctrl F"}},
    {27, {"g", "G", "Ctrl G"}},           {32, {"h", "H", "Ctrl H"}},
    {36, {"i", "I", "Ctrl I"}},           {37, {"j", "J", "Ctrl J"}},
    {35, {"k", "K", "Ctrl K"}},           {41, {"l", "L", "Ctrl L"}},
    {30, {"m", "M", "Ctrl M"}},           {31, {"n", "N", "Ctrl N"}},
    {42, {"o", "O", "Ctrl O"}},           {48, {"p", "P", "Ctrl P"}},
    {13, {"q", "Q", "Ctrl Q"}},           {21, {"r", "R", "Ctrl R"}},
    {17, {"s", "S", "Ctrl S"}},           {28, {"t", "T", "Ctrl T"}},
    {38, {"u", "U", "Ctrl U"}},           {26, {"v", "V", "Ctrl V"}},
    {18, {"w", "W", "Ctrl W"}},           {10, {"x", "X", "Ctrl X"}},
    {33, {"y", "Y", "Ctrl Y"}},           {11, {"z", "Z", "Ctrl Z"}},
    {14, {"1", "! (Shift 1)", "Ctrl 1"}}, {19, {"2", "\" (Shift 2)", "Ctrl 2"}},
    {24, {"3", "# (Shift 3)", "Ctrl 3"}}, {23, {"4", "$ (Shift 4)", "Ctrl 4"}},
    {29, {"5", "% (Shift 5)", "Ctrl 5"}}, {34, {"6", "& (Shift 6)", "Ctrl 6"}},
    {39, {"7", "' (Shift 7)", "Ctrl 7"}}, {44, {"8", "( (Shift 8)", "Ctrl 8"}},
    {43, {"9", ") (Shift 9)", "Ctrl 9"}}, {49, {"0", "0 (Shift 0)", "Ctrl 0"}},
    {54, {":", "* (Shift :)", "Ctrl :"}}, {59, {"-", "= (Shift -)", "Ctrl -"}},
    {58, {"^", "~ (Shift ^)", "Ctrl ^"}}, {51, {"@", "` (Shift @)", "Ctrl @"}},
    {53, {"[", "{ (Shift [)", "Ctrl ["}}, {52, {"]", "} (Shift ])", "Ctrl ]"}},
    {47, {";", "+ (Shift ;)", "Ctrl ;"}}, {50, {"\\", "| (Shift \\)", "Ctrl \\"}},
    {40, {",", "< (Shift ,)", "Ctrl ,"}}, {46, {".", "> (Shift .)", "Ctrl ."}},
    {45, {"/", "? (Shift /)", "Ctrl /"}}, {55, {"_", "Rubout (Shift _)", "Ctrl _"}},
}};

}  // namespace vantorel
