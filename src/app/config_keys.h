// The keys of the configuration file: each one's setting, default and
// accepted values, in the order the file is written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

enum class CfgKind {
    Text,     // the rest of the line, as it stands
    Integer,  // a decimal number within [min, max]
    FmRev,    // a decimal number: the low 32 bits of the double's bit pattern
};

struct CfgKey {
    const char* name;  // without the colon
    CfgKind kind;
    int32_t* integer = nullptr;
    std::string* text = nullptr;
    double* real = nullptr;
    int32_t min = INT32_MIN, max = INT32_MAX;
};

// Every key, FD0 to NMIDEBUG, in the order cfg_save writes them.
std::span<const CfgKey> cfg_keys();
// The key of that name (case counts), or nullptr.
const CfgKey* cfg_find_key(std::string_view name);

// g_settings to its defaults (FD0-FD3 keep what the slot reset gave
// them), and the state that is not saved cleared.
void cfg_set_defaults();

// Stores value in the key's setting when it is one the key takes; false
// (the setting kept) otherwise. Numbers are decimal with an optional sign,
// white space around them allowed.
bool cfg_set_value(const CfgKey& key, std::string_view value);
// True when value is one the key takes (text: one without CR or LF);
// nothing is stored.
bool cfg_value_valid(const CfgKey& key, std::string_view value);
// The values the key takes, for a message: "0-4", "a whole number".
std::string cfg_values_taken(const CfgKey& key);
// The setting as the file holds it after "KEY:".
std::string cfg_format_value(const CfgKey& key);
