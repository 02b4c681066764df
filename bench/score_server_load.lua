-- wrk script: cycles through prepared exchange paths, each thread its own share
local paths = {}
for line in io.lines(os.getenv("VB_REQUESTS")) do paths[#paths + 1] = line end

local counter = 0
function setup(thread)
  thread:set("first", counter)
  counter = counter + 1
end

function init(args)
  step = tonumber(os.getenv("VB_THREADS") or "2")
  index = first
end

function request()
  index = index + step
  if index >= #paths then index = index % #paths end
  return wrk.format("GET", paths[index + 1], { ["Host"] = "127.0.0.1", ["User-Agent"] = "TarvelThttp/1.0" })
end
