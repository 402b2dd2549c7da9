#pragma once
// The factory of a plug-in whose modules stand in one table: each entry's menu path (levels at
// ":", "|" where the module tree may hyphenate) with its creator, in menu order, ended by an
// entry without creator.
#include "core/module_factory.h"

#include <string>

struct ModuleTableEntry {
    const char* path;
    Module* (*create)();
};

// A creator for a table entry: a new module of class M.
template <class M>
Module* CreateModuleOf()
{
    return new M;
}

class ModuleTableFactory final : public ModuleFactory {
public:
    explicit ModuleTableFactory(const ModuleTableEntry* table) : m_table(table)
    {
        while (m_table[m_count].create)
            ++m_count;
    }

    int GetModuleCount() override { return m_count; }

    Module* CreateModule(int index) override
    {
        return index >= 0 && index < m_count ? m_table[index].create() : nullptr;
    }

    std::string GetModuleName(int index) override
    {
        return index >= 0 && index < m_count ? m_table[index].path : std::string();
    }

private:
    const ModuleTableEntry* m_table;
    int m_count = 0;
};
