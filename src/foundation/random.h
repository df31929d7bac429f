#pragma once
// Random values from one generator per thread.
#include <random>
#include <string>
#include <vector>

std::mt19937& gf_randomGenerator();

// v moved up or down by p percent (v itself when p is not above 0).
double gf_randomizeByPercent(double v, double p);
void gf_shuffle(std::vector<std::string>& items);
