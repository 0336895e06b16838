// The texts of registry access that need no registry: the application's key
// path and REG_MULTI_SZ blocks.
#pragma once

#include <string>
#include <vector>

class CRecordArray;

// The application's registry key and name (the framework application sets
// them at start-up); a null path given to CRegistry::Open means
// "Software\<key>\<name>". Safe from several threads.
void SetRegistryApplication(const char* registryKey, const char* applicationName);
// "Software\<key>\<name>"; "Software\<name>" without a key, "Software\<key>"
// without a name, empty when neither is set.
std::string RegistryApplicationPath();
// The two parts as set (empty when not).
std::string RegistryApplicationKey();
std::string RegistryApplicationName();

// A REG_MULTI_SZ block of the list's texts: each NUL-terminated, then one
// more NUL. Empty texts are left out (they would end the list early).
std::vector<char> BuildMultiString(const CRecordArray& list);
