#include "views/exit_services.h"

#include "services/pipeline_clock.h"
#include "services/stages.h"
#include "utils/system/faults.h"

ExitServices DefaultExitServices() {
    PipelineStages stages = DefaultStages();
    ExitServices services;
    services.createUuid = std::move(stages.createUuid);
    services.getDeviceInfo = std::move(stages.getDeviceInfo);
    services.uploadCountInfo = std::move(stages.uploadCountInfo);
    services.flushFaultReports = Utils::FlushFaultReports;
    services.sleep = SystemClock().sleep;
    return services;
}
