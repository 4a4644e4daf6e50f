#include "wide_format.h"

namespace {

class Writer {
public:
    Writer(WideChar* out, size_t capacity) : out_(out), capacity_(capacity) {}

    void put(WideChar c) {
        if (length_ + 1 < capacity_)
            out_[length_++] = c;
        else
            overflow_ = true;
    }
    void put_text(const FormatArgument& a) {
        if (a.wide)
            for (const WideChar* p = a.wide; *p; ++p) put(*p);
        else if (a.narrow)
            for (const char* p = a.narrow; *p; ++p) put(static_cast<unsigned char>(*p));
        else
            overflow_ = true;  // a number where a text was asked for
    }
    void put_number(unsigned value) {
        char digits[16];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0) put(static_cast<unsigned char>(digits[--n]));
    }
    bool finish() {
        if (capacity_ == 0) return false;
        if (overflow_) {
            out_[0] = 0;
            return false;
        }
        out_[length_] = 0;
        return true;
    }
    void fail() { overflow_ = true; }

private:
    WideChar* out_;
    size_t capacity_;
    size_t length_ = 0;
    bool overflow_ = false;
};

}  // namespace

bool format_wide(WideChar* out, size_t capacity, const char* format,
                 std::initializer_list<FormatArgument> arguments) {
    Writer writer(out, capacity);
    const FormatArgument* next = arguments.begin();
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            writer.put(static_cast<unsigned char>(*p));
            continue;
        }
        const char conversion = *++p;
        if ((conversion != 's' && conversion != 'd') || next == arguments.end()) {
            writer.fail();
            break;
        }
        const FormatArgument& a = *next++;
        if (conversion == 's')
            writer.put_text(a);
        else if (a.is_number)
            writer.put_number(a.number);
        else
            writer.fail();
    }
    return writer.finish();
}
