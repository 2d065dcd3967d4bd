// The utilities core starts here.
