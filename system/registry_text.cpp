#include "system/registry_text.h"

#include "system/record_array.h"

#include <mutex>

namespace {

std::mutex g_applicationLock;
std::string g_registryKey;
std::string g_applicationName;

}  // namespace

void SetRegistryApplication(const char* registryKey, const char* applicationName)
{
    std::lock_guard<std::mutex> hold(g_applicationLock);
    g_registryKey = registryKey != nullptr ? registryKey : "";
    g_applicationName = applicationName != nullptr ? applicationName : "";
}

std::string RegistryApplicationPath()
{
    std::lock_guard<std::mutex> hold(g_applicationLock);
    if (g_registryKey.empty() && g_applicationName.empty())
        return std::string();
    std::string path = "Software";
    for (const std::string* part : {&g_registryKey, &g_applicationName})
        if (!part->empty())
            path += '\\' + *part;
    return path;
}

std::string RegistryApplicationKey()
{
    std::lock_guard<std::mutex> hold(g_applicationLock);
    return g_registryKey;
}

std::string RegistryApplicationName()
{
    std::lock_guard<std::mutex> hold(g_applicationLock);
    return g_applicationName;
}

std::vector<char> BuildMultiString(const CRecordArray& list)
{
    std::vector<char> block;
    for (int i = 0; i < list.m_count; ++i) {
        const char* text = list.GetString(i);
        if (text[0] == 0)
            continue;
        block.insert(block.end(), text, text + std::char_traits<char>::length(text) + 1);
    }
    block.push_back(0);
    if (block.size() == 1)
        block.push_back(0);  // an empty list is two NULs
    return block;
}
