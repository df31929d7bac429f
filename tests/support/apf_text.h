#pragma once
// The text of a park airport's parking file, as the tests hand it to the loader.
#include <string>

namespace testsupport {

// A parking file with these parkpos and parameter elements.
inline std::string apfText(const std::string& parkpos, const std::string& parameters = "")
{
    return "<meta><info name='author' value='a'/><info name='date' value='d'/><info name='version' value='1.0.0'/>"
           "</meta><parameters>" + parameters + "</parameters><parkpositions>" + parkpos + "</parkpositions>";
}

} // namespace testsupport
