#include "simconnect/sim_backend.h"

#include "simconnect/sim_model.h"
#include "simconnect/sim_model_driver.h"

#include <mutex>

namespace {

std::mutex g_backendMutex;
std::shared_ptr<SimConnectBackend> g_backend;

// The default simulator: the model on its built-in scenario, driven in real time for the
// life of the process.
std::shared_ptr<SimConnectBackend> lf_defaultBackend()
{
    static const auto model = std::make_shared<SimModel>();
    static const SimModelDriver driver(model);
    return model;
}

} // namespace

void gf_setSimConnectBackend(std::shared_ptr<SimConnectBackend> backend)
{
    std::lock_guard lock(g_backendMutex);
    g_backend = std::move(backend);
}

std::shared_ptr<SimConnectBackend> gf_simConnectBackend()
{
    {
        std::lock_guard lock(g_backendMutex);
        if (g_backend)
            return g_backend;
    }
    return lf_defaultBackend();
}
