// The median of the rounds a benchmark measured: one round disturbed by the rest of the machine does not
// decide the figure.
#pragma once

#include <algorithm>
#include <vector>

inline double mediana(std::vector<double> valores)
{
    std::sort(valores.begin(), valores.end());
    const size_t n = valores.size();
    return n % 2 ? valores[n / 2] : (valores[n / 2 - 1] + valores[n / 2]) / 2;
}
