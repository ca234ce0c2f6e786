#include "client/core/alert_csv.h"

#include <array>

#include "platform/gbk.h"

namespace lanzhou::core {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHeader = "发布时间,股票代码,股票名称,操作方式,买入价格,卖出价格,备注";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// An optional sign, digits, optionally a point and digits.
bool isPlainNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
        }
        return i > start;
    };
    if (!digits()) {
        return false;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (!digits()) {
            return false;
        }
    }
    return i == text.size();
}

bool startsLikeFormula(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    switch (text.front()) {
        case '=':
        case '+':
        case '-':
        case '@':
        case '\t':
        case '\r':
            return !isPlainNumber(text);
        default:
            return false;
    }
}

}  // namespace

void appendCsvField(std::string& out, std::string_view text) {
    // UTF-8 bytes of characters beyond ASCII are all 0x80 or above, so these
    // ASCII tests never hit part of a character.
    const bool guard = startsLikeFormula(text);
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quote) {
        out += '"';
    }
    if (guard) {
        out += '\'';
    }
    for (const char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    if (quote) {
        out += '"';
    }
}

AlertCsv::AlertCsv() {
    m_bytes.append(kByteOrderMark);
    m_bytes.append(kHeader);
    m_bytes.append(kLineEnd);
}

void AlertCsv::addRow(const AlertRow& row) {
    const std::array<std::string_view, 7> fields = {row.time, row.code, row.name,  row.operation,
                                                    row.buy,  row.sell, row.remark};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            m_bytes += ',';
        }
        appendCsvField(m_bytes, platform::utf8FromGbk(fields[i]));
    }
    m_bytes.append(kLineEnd);
    ++m_rows;
}

}  // namespace lanzhou::core
