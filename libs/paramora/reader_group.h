#pragma once
// Leaves a reader's group on every way out of a scope (Paramora's readers and other walks
// over nested groups).
#include <xandril/xandril.h>

namespace ns_param::detail {

class LeaveGroupOnExit {
public:
    explicit LeaveGroupOnExit(ns_xandril::XMLReadModul& reader)
        : m_reader(reader)
    {
    }
    ~LeaveGroupOnExit() { m_reader.leaveGroup(); }
    LeaveGroupOnExit(const LeaveGroupOnExit&) = delete;
    LeaveGroupOnExit& operator=(const LeaveGroupOnExit&) = delete;

private:
    ns_xandril::XMLReadModul& m_reader;
};

} // namespace ns_param::detail
