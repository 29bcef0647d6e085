#pragma once

#include <QStringList>

namespace zk {

// zkrtool's delivery and delivery-check commands. Each returns the exit
// status: 0 done, 1 refused or errors found, 2 wrong usage.
class DeliveryTool
{
public:
    static int delivery(const QStringList& args);
    static int delivery_check(const QStringList& args);
};

} // namespace zk
