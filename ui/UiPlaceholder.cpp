namespace brisk {
}
