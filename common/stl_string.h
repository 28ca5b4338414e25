// Wide and 8-bit string value types shared by every program of the product.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

// A standard string with a format capacity: Format replaces the contents with
// printf-style output cut to capacity - 1 characters.  Formatting follows the
// Windows C runtime, so "%s" takes a string of the same width as the format.
template <typename Ch>
class CStlStringT : public std::basic_string<Ch> {
public:
    using Base = std::basic_string<Ch>;
    static constexpr size_t kDefaultCapacity = 1024;

    CStlStringT() = default;
    CStlStringT(const Ch* s) : Base(s ? s : std::basic_string<Ch>()) {}
    CStlStringT(const Ch* s, size_t n) : Base(s, n) {}
    CStlStringT(const Base& s) : Base(s) {}
    CStlStringT(Base&& s) : Base(std::move(s)) {}
    CStlStringT(size_t n, Ch c) : Base(n, c) {}

    void SetFormatCapacity(size_t capacity) { m_nCapacity = capacity ? capacity : 1; }
    size_t GetFormatCapacity() const { return m_nCapacity; }

    // printf-style formatting that replaces the contents.
    CStlStringT& Format(const Ch* format, ...);
    CStlStringT& FormatV(const Ch* format, va_list args);

    // Removes one leading / trailing occurrence of text, when present.
    CStlStringT& TrimLeft(const Base& text);
    CStlStringT& TrimRight(const Base& text);

    // Pieces between separators; empty pieces are kept ("a,,b" -> a, "", b).
    std::vector<CStlStringT> Split(Ch separator) const;

    // Replaces every occurrence of from by to; returns the number replaced.
    size_t ReplaceAll(const Base& from, const Base& to);

    // Upper-cases the ASCII letters a-z only; other characters are untouched.
    CStlStringT& MakeUpperAscii();
    CStlStringT& MakeLowerAscii();

    CStlStringT Left(size_t count) const { return CStlStringT(this->substr(0, count)); }
    CStlStringT Right(size_t count) const
    {
        return count >= this->size() ? *this : CStlStringT(this->substr(this->size() - count));
    }

    // Case-sensitive comparison: <0, 0, >0.
    int Compare(const Base& other) const { return Base::compare(other); }

private:
    size_t m_nCapacity = kDefaultCapacity;
};

using CStlStringW = CStlStringT<wchar_t>;
using CStlStringA = CStlStringT<char>;

extern template class CStlStringT<wchar_t>;
extern template class CStlStringT<char>;

// Convenience: a formatted wide string in one expression.
CStlStringW FormatW(const wchar_t* format, ...);
CStlStringA FormatA(const char* format, ...);

// 8-bit text of the ANSI code page as wide text.
std::wstring AnsiToWide(const std::string& text);
