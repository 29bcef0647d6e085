#pragma once

#include "model/preferences.h"
#include "print/photopage.h"

class QPrinter;

namespace zk {

// What the print preview needs of the printing side: the chosen printer's
// paper, the page on screen as it prints and the settings it prints with. The preview stays a window of
// the core and asks for printing by its signal.
class PrintSource
{
public:
    virtual ~PrintSource() = default;
    virtual QPrinter& printer() = 0;
    // The page on screen with its photos decoded at pictureDpi.
    virtual PageSlots screen_page(double pictureDpi) = 0;
    // The user's settings as they stand now (photo shape, the cover's era).
    virtual const Preferences& preferences() const = 0;
};

} // namespace zk
