#pragma once
// Drives a simulator model in real time: one frame per 1/frame-rate seconds on a deadline grid
// of the program's clock, on a thread of its own, until the driver is destroyed.
#include "simconnect/sim_model.h"

#include <memory>
#include <thread>

class SimModelDriver {
public:
    explicit SimModelDriver(std::shared_ptr<SimModel> model);
    ~SimModelDriver();
    SimModelDriver(const SimModelDriver&) = delete;
    SimModelDriver& operator=(const SimModelDriver&) = delete;

private:
    std::shared_ptr<SimModel> m_model;
    std::jthread m_thread;
};
