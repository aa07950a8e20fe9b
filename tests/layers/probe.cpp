// Compiled by the layer tests with one header of the project named by PROBE_HEADER, against the
// include folders a layer's target gets: its own headers must be found, an upper layer's not.
#include PROBE_HEADER

int main() { return 0; }
