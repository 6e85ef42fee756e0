// qt backend
