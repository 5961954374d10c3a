#pragma once
// A scanner's settings as the options dialog shows them, without the scanner
// library's own types: each option with its kind, unit, allowed values and value.
#include <string>
#include <vector>

namespace quillory {

struct ScanOption {
    enum class Kind { Flag, Whole, Real, Text, Button, Group };
    enum class Limit { None, Range, Values, Texts };
    int index = 0;  // the scanner's own option number
    std::string name, title, description;
    Kind kind = Kind::Whole;
    std::string unit;  // "dpi", "mm", "%", "bit", "pixel", "µs" or empty
    bool active = true, settable = true, advanced = false;
    Limit limit = Limit::None;
    double minimum = 0, maximum = 0, step = 0;
    std::vector<double> values;       // Limit::Values
    std::vector<std::string> texts;   // Limit::Texts
    // The present value (one value; options holding lists of values are not shown).
    bool flag = false;
    double number = 0;
    std::string text;
};

// One opened scanner, seen by the options dialog.
class ScanDevice {
public:
    virtual ~ScanDevice() = default;
    virtual std::string DeviceName() const = 0;
    // The options that can be shown, groups included, in the scanner's order.
    virtual std::vector<ScanOption> Options() = 0;
    // Each returns false when the scanner refused the value. A change may change other
    // options too: the dialog reads them all again after each one.
    virtual bool SetFlag(int index, bool value) = 0;
    virtual bool SetNumber(int index, double value) = 0;
    virtual bool SetText(int index, const std::string& value) = 0;
    virtual bool Press(int index) = 0;
};

// A scanner in the list the user chooses from.
struct ScanSourceInfo {
    std::string name, vendor, model, type;
};

}  // namespace quillory
