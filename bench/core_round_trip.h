// The time a cache line takes to go from one core to another and back, as
// two threads pass a number between them: what the send's hand-over of each
// converted mesh from the worker to the command thread costs. On a machine
// whose cores do not all share their last cache (a virtual machine's cores
// placed by its host on two dies, a processor of several dies), it depends on
// where the two threads run, and the full send with it.
#pragma once

namespace bench {

// The mean round trip in nanoseconds over `trips` passes, the two threads
// left where the system puts them, as the send's are; 0 on a machine of one
// core.
double CoreRoundTripNs(int trips = 20000);

}  // namespace bench
