#include "autorun/UnitAutoRunConfig.h"

namespace vesk {

std::unique_ptr<TAutoRunConfig> AutoRunConfig;

TAutoRunConfig::TAutoRunConfig(std::string stationFolder, const Clock& clock,
                               ProcessPort& processes)
    : stationFolder_(std::move(stationFolder)), clock_(clock), processes_(processes) {}

TAutoRunConfig::~TAutoRunConfig() = default;

}  // namespace vesk
