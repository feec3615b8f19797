#include "link/PortList.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

namespace zyl {

std::vector<FoundPort> ListSerialPorts(const std::string& stableNameFolder) {
    std::vector<FoundPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        FoundPort port;
        port.device = info.systemLocation().toStdString();
        port.description = info.description().trimmed().toStdString();
        port.manufacturer = info.manufacturer().trimmed().toStdString();
        if (info.hasVendorIdentifier()) port.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) port.productId = info.productIdentifier();
        ports.push_back(std::move(port));
    }
    QCollator natural;
    natural.setNumericMode(true);
    std::sort(ports.begin(), ports.end(), [&natural](const FoundPort& a, const FoundPort& b) {
        return natural.compare(QString::fromStdString(a.device), QString::fromStdString(b.device)) <
               0;
    });
#ifndef _WIN32
    AddStableNames(ports, stableNameFolder);
#else
    (void)stableNameFolder;
#endif
    return ports;
}

} // namespace zyl
