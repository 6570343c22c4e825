#pragma once
// Placeholder declaration until the frame timer lands.
class TDXTimer {};
