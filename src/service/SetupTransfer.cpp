#include "service/SetupTransfer.h"

#include "service/WholeBlockTransfer.h"

namespace zyl {

Outcome ReadSetupFromController(ControllerAccess& access, TSetupBlock& working) {
    return ReadWholeBlock<TSetupBlock>(access, working, [&access](Variant v, TSetupBlock& block) {
        return ReadSetupParameters(access.link, v, block, access.DeviceAddress, access.linkParams);
    });
}

Outcome SendSetupToController(ControllerAccess& access, const TSetupBlock& setup) {
    return SendWholeBlock(access, [&](Variant v) {
        return WriteSetupParameters(access.link, v, setup, access.DeviceAddress, access.linkParams);
    });
}

} // namespace zyl
