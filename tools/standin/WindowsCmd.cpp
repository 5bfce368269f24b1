// Stand-in for the command interpreter of an installed Windows 7: only its version resource
// matters (the partition list names a partition's Windows by it). The demo image carries it as
// Windows\System32\CMD.EXE, so a restored partition shows "Win7".
int wmain() {
    return 0;
}
