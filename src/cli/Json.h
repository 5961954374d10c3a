#pragma once
// A small JSON writer for the command-line tool's output.
#include <cstdio>
#include <string>

namespace quillory::cli {

inline std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char esc[8];
                    std::snprintf(esc, sizeof esc, "\\u%04x", c);
                    out += esc;
                } else {
                    out += char(c);
                }
        }
    }
    return out + "\"";
}

// Builds one object: Add("width", 3).Add("name", "x").Str()
class JsonObject {
public:
    JsonObject& Add(const std::string& key, long long value) { return Raw(key, std::to_string(value)); }
    JsonObject& Add(const std::string& key, const std::string& value) { return Raw(key, JsonString(value)); }
    JsonObject& Add(const std::string& key, const char* value) { return Raw(key, JsonString(value)); }
    JsonObject& Add(const std::string& key, bool value) { return Raw(key, value ? "true" : "false"); }
    JsonObject& Raw(const std::string& key, const std::string& json) {
        m_body += (m_body.empty() ? "" : ", ") + JsonString(key) + ": " + json;
        return *this;
    }
    std::string Str() const { return "{" + m_body + "}"; }

private:
    std::string m_body;
};

}  // namespace quillory::cli
