#pragma once

#include "print/photopage.h"

class QPrinter;

namespace zk {

// What the print preview needs of the printing side: the chosen printer's
// paper and the page on screen as it prints. The preview stays a window of
// the core and asks for printing by its signal.
class PrintSource
{
public:
    virtual ~PrintSource() = default;
    virtual QPrinter& printer() = 0;
    // The page on screen with its photos decoded at pictureDpi.
    virtual PageSlots screen_page(double pictureDpi) = 0;
};

} // namespace zk
