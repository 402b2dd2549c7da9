#pragma once
// Functions a host registers with the compiler, and what they share with it.
#include "formulux/mc_variable.h"

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// An error raised by a function: text and position (-1, -1: the position of the call).
class CMCError {
public:
    void setException(std::string text, int line, int col, std::string extra);
    void clear();
    bool isSet() const { return m_set; }
    const std::string& getText() const { return m_text; }
    int getLine() const { return m_line; }
    int getCol() const { return m_col; }
    const std::string& getExtra() const { return m_extra; }

private:
    bool m_set = false;
    std::string m_text;
    int m_line = -1;
    int m_col = -1;
    std::string m_extra;
};

// Shared by one compiler and every function constructed with it: the options, the output sink
// and the position of the call that is running.
class CMCSharedParameter {
public:
    bool clipping = false;
    bool smartError = false;
    std::function<void(std::string_view)> output; // null: standard output
    int callLine = -1; // 1-based line of the running call
    int callCol = -1;  // 0-based column of the running call

    void write(std::string_view text) const;
};

// A function callable from scripts. Subclasses implement execute: 0 on success, 2 after
// error.setException. The result is reset to 0x0 before each call.
class CMCFunction {
public:
    CMCFunction(std::string name, CMCSharedParameter* shared);
    virtual ~CMCFunction();
    CMCFunction(const CMCFunction&) = delete;
    CMCFunction& operator=(const CMCFunction&) = delete;

    virtual int execute(std::span<CMCVariable* const> args) = 0;

    void setParamCount(int count) { m_paramCount = count; }
    int getParamCount() const { return m_paramCount; }
    const std::string& getName() const { return m_name; }
    CMCSharedParameter* getSharedParameter() const { return m_shared; }

    CMCVariable result;
    CMCError error;

private:
    std::string m_name;
    CMCSharedParameter* m_shared;
    int m_paramCount = 0;
};

// The registered functions; owns them.
class CMCFuncManager {
public:
    CMCFuncManager();
    ~CMCFuncManager();
    CMCFuncManager(const CMCFuncManager&) = delete;
    CMCFuncManager& operator=(const CMCFuncManager&) = delete;

    // Takes ownership. A null function or a name already registered is refused (and deleted).
    bool addFunc(CMCFunction* function);
    CMCFunction* getFunc(std::string_view name) const;
    std::size_t count() const { return m_funcs.size(); }
    void clear();

private:
    std::map<std::string, std::unique_ptr<CMCFunction>, std::less<>> m_funcs;
};
