#pragma once
// A script value: a rows x cols matrix of doubles, stored column by column, with an element
// type and a text flag. A 1x1 value is held inline; larger data are shared between copies and
// copied only when a shared copy is written (copy-on-write), so assignment and argument
// passing cost O(1).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace formulux {
class BufferPool;
}

// Element type of a variable; arithmetic always works in double.
enum class MCType : std::uint8_t { Double, Float, Int, Short, Byte };

class CMCVariable {
public:
    CMCVariable() = default;                  // 0x0
    CMCVariable(double scalar) : m_rows(1), m_cols(1), m_scalar(scalar) {} // NOLINT: implicit
    CMCVariable(int rows, int cols);          // rows x cols of zeros

    // A text: a 1xN row of the UTF-8 bytes as signed codes (-128..127), text flag set.
    static CMCVariable fromText(std::string_view text);

    int getRows() const { return m_rows; }
    int getCols() const { return m_cols; }
    std::size_t numel() const { return std::size_t(m_rows) * std::size_t(m_cols); }
    bool isEmpty() const { return m_rows == 0 || m_cols == 0; }
    bool isScalar() const { return m_rows == 1 && m_cols == 1; }

    // Element (r, c); both 0-based and in range (not checked).
    double getData(int r, int c) const { return data()[std::size_t(c) * std::size_t(m_rows) + std::size_t(r)]; }
    void setData(int r, int c, double v) { mutableData()[std::size_t(c) * std::size_t(m_rows) + std::size_t(r)] = v; }
    // New shape; the overlap keeps its values, new elements are 0.
    void resizeVar(int rows, int cols);

    MCType getType() const { return m_type; }
    void setType(MCType type) { m_type = type; }
    bool isText() const { return m_text; }
    void setText(bool text) { m_text = text; }
    // The codes as bytes (each truncated toward zero, low 8 bits).
    std::string toText() const;

    // Elements column by column. mutableData() unshares the buffer first.
    const double* data() const { return m_buf ? m_buf->data() : &m_scalar; }
    double* mutableData();
    double scalar() const { return m_buf ? (*m_buf)[0] : m_scalar; }
    // True when this value shares its buffer with another value.
    bool isShared() const { return m_buf && m_buf.use_count() > 1; }

private:
    friend class formulux::BufferPool;

    int m_rows = 0;
    int m_cols = 0;
    double m_scalar = 0.0;
    MCType m_type = MCType::Double;
    bool m_text = false;
    std::shared_ptr<std::vector<double>> m_buf; // set when numel() != 1
};
