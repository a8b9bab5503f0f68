// Every internal symbol lives in namespace tol, inside an inline namespace
// named after the library being built (TOL_LIB_NS, set by the build). Code
// compiled into both libraries thus exists twice under different names: each
// library binds to its own copy (its own allocator, its own file code), and a
// test program may link both copies side by side.
#pragma once

#ifndef TOL_LIB_NS
#error "TOL_LIB_NS must be defined by the build (util_lib or zurn_lib)"
#endif

#define TOL_NS_BEGIN namespace tol { inline namespace TOL_LIB_NS {
#define TOL_NS_END } }
