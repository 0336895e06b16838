// wip
