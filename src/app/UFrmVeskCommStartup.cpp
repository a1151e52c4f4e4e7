#include "app/UFrmVeskCommStartup.h"

namespace vesk {

TFrmVeskCommStartup::TFrmVeskCommStartup(FormPorts ports) : ports_(std::move(ports)) {}

TFrmVeskCommStartup::~TFrmVeskCommStartup() = default;

}  // namespace vesk
