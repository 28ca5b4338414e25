#include "stl_string.h"

#include <windows.h>

#include <stdio.h>
#include <wchar.h>

namespace {

// The C runtime's counted formatters, which use the Windows conventions
// ("%s" is as wide as the format) and never write past the given count.
int CountedFormat(wchar_t* buffer, size_t count, const wchar_t* format, va_list args)
{
    return _vsnwprintf(buffer, count, format, args);
}

int CountedFormat(char* buffer, size_t count, const char* format, va_list args)
{
    return _vsnprintf(buffer, count, format, args);
}

} // namespace

template <typename Ch>
CStlStringT<Ch>& CStlStringT<Ch>::FormatV(const Ch* format, va_list args)
{
    std::vector<Ch> buffer(m_nCapacity, Ch(0));
    if (format) {
        // Writes at most capacity - 1 characters; the last element stays 0, so
        // a cut result is still terminated.
        CountedFormat(buffer.data(), m_nCapacity - 1, format, args);
        buffer[m_nCapacity - 1] = Ch(0);
    }
    this->assign(buffer.data());
    return *this;
}

template <typename Ch>
CStlStringT<Ch>& CStlStringT<Ch>::Format(const Ch* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return *this;
}

template <typename Ch>
CStlStringT<Ch>& CStlStringT<Ch>::TrimLeft(const Base& text)
{
    if (!text.empty() && this->compare(0, text.size(), text) == 0)
        this->erase(0, text.size());
    return *this;
}

template <typename Ch>
CStlStringT<Ch>& CStlStringT<Ch>::TrimRight(const Base& text)
{
    if (!text.empty() && this->size() >= text.size() &&
        this->compare(this->size() - text.size(), text.size(), text) == 0)
        this->erase(this->size() - text.size());
    return *this;
}

template <typename Ch>
std::vector<CStlStringT<Ch>> CStlStringT<Ch>::Split(Ch separator) const
{
    std::vector<CStlStringT> pieces;
    size_t start = 0;
    for (;;) {
        size_t pos = this->find(separator, start);
        if (pos == Base::npos) {
            pieces.emplace_back(this->substr(start));
            return pieces;
        }
        pieces.emplace_back(this->substr(start, pos - start));
        start = pos + 1;
    }
}

template <typename Ch>
size_t CStlStringT<Ch>::ReplaceAll(const Base& from, const Base& to)
{
    if (from.empty())
        return 0;
    size_t count = 0;
    size_t pos = 0;
    while ((pos = this->find(from, pos)) != Base::npos) {
        this->replace(pos, from.size(), to);
        pos += to.size();
        ++count;
    }
    return count;
}

template <typename Ch>
CStlStringT<Ch>& CStlStringT<Ch>::MakeUpperAscii()
{
    for (auto& c : *this)
        if (c >= Ch('a') && c <= Ch('z'))
            c = Ch(c - Ch('a') + Ch('A'));
    return *this;
}

template <typename Ch>
CStlStringT<Ch>& CStlStringT<Ch>::MakeLowerAscii()
{
    for (auto& c : *this)
        if (c >= Ch('A') && c <= Ch('Z'))
            c = Ch(c - Ch('A') + Ch('a'));
    return *this;
}

template class CStlStringT<wchar_t>;
template class CStlStringT<char>;

CStlStringW FormatW(const wchar_t* format, ...)
{
    CStlStringW s;
    va_list args;
    va_start(args, format);
    s.FormatV(format, args);
    va_end(args);
    return s;
}

CStlStringA FormatA(const char* format, ...)
{
    CStlStringA s;
    va_list args;
    va_start(args, format);
    s.FormatV(format, args);
    va_end(args);
    return s;
}

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}
