// The seam for COM objects and the code-page crossings that every COM call shares.
//
// The regular-expression object is the platform's "VBScript.RegExp". Texts cross this seam as
// code-page-936 bytes; the Win32 side converts to and from UTF-16 at its own boundary.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qv::os {

// One match of an executed pattern, with its values already brought back to code page 936.
struct RegexMatchData {
    std::string value;
    int first_index = 0;                  // "FirstIndex": UTF-16 units from the subject's start
    std::vector<std::string> submatches;  // "SubMatches"; a group that took no part is empty
};

// One "VBScript.RegExp" object. Property writes keep the object's own silence on failure: a
// refused pattern shows only when Execute fails.
class RegExpObject {
public:
    virtual ~RegExpObject() = default;
    virtual void set_ignore_case(bool on) = 0;
    virtual void set_multiline(bool on) = 0;
    virtual void set_global(bool on) = 0;
    virtual void set_pattern(const std::string& pattern) = 0;
    virtual std::string pattern() = 0;
    // "Execute" over the subject; false when the object gave no match collection.
    virtual bool execute(const std::string& subject, std::vector<RegexMatchData>& matches) = 0;
    // "Replace" over the subject; false when the object refused.
    virtual bool replace(const std::string& subject, const std::string& replacement,
                         std::string& result) = 0;
};

class Com {
public:
    virtual ~Com() = default;
    // Initialises COM for the calling thread; true only when the caller must balance it with
    // uninitialize (a thread already set up in another mode must not be uninitialised by us).
    virtual bool initialize() = 0;
    virtual void uninitialize() = 0;
    // A new "VBScript.RegExp", or null when the class cannot be made here.
    virtual std::unique_ptr<RegExpObject> create_regexp() = 0;
};

// Code page 936 <-> UTF-16LE, as byte blocks.
class TextCodec {
public:
    virtual ~TextCodec() = default;
    // UTF-16LE bytes of the text followed by the two zero bytes of a terminator, which
    // cut_terminator drops; an empty text gives an empty block.
    virtual std::string text_to_wide_bytes(const std::string& text, bool cut_terminator) = 0;
    // Code page 936 text of UTF-16LE bytes; characters without a form there become "?", and the
    // text ends at its first zero byte.
    virtual std::string wide_bytes_to_text(const std::string& wide_bytes) = 0;
};

// The executable kind of a file as GetBinaryType reports it (0 a 32-bit Windows program, 6 a
// 64-bit one), or -1 when the file is not an executable or cannot be read.
class BinaryTypes {
public:
    virtual ~BinaryTypes() = default;
    virtual int binary_type(const std::string& path) = 0;
};

}  // namespace qv::os
