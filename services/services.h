// The install pipeline driver: the body of the one worker thread.
#pragma once

#include "services/pipeline_clock.h"
#include "services/stages.h"

namespace Services {

// Runs the installation once, as a fixed sequence of stages with their retry
// schedules, exit polls and status codes, and always leaves through one
// clean-up path that removes the downloaded installer and posts 1124. Uses
// this build's stages and the system clock. Worker thread; the main window
// (GetMainWindow) is set before it starts.
void DoWork();

// DoWork with the given stages and clock.
void RunPipeline(const PipelineStages& stages, const PipelineClock& clock);

}  // namespace Services
