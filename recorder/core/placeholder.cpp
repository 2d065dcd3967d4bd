// The recorder core starts here.
