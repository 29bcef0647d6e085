#include "printdevice.h"

namespace zk {

void PrintDevice::setError(const QString& message)
{
    if (error.isEmpty())
        error = message;
}

} // namespace zk
