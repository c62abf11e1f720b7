// The built-in sample: a customer table and an order table with deterministic
// records, given as the texts that the tables' fields show.
#pragma once

#include <string>
#include <vector>

// The sample description file (sample.cfg), compiled in.
extern const char kZTSampleDesc[];

constexpr unsigned kZTSampleCustomers = 20000;
constexpr unsigned kZTSampleOrders = 80000;

// Field names in the order the value functions fill them.
extern const char* const kZTSampleCustomerFields[];
extern const unsigned kZTSampleCustomerFieldCount;
extern const char* const kZTSampleOrderFields[];
extern const unsigned kZTSampleOrderFieldCount;

// The values of customer i and order i (from 0); the same on every run.
void ztSampleCustomer(unsigned i, std::vector<std::string>& values);
void ztSampleOrder(unsigned i, std::vector<std::string>& values);
