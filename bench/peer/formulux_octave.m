% Peer of bench_formulux: the same loop (rem for %), 400x400 product and solve in GNU Octave,
% each the best of 5 by tic/toc. Prints "loop <s>", "product <s>", "solve <s>".
% Run: octave --no-gui --quiet bench/peer/formulux_octave.m
n = 400;
[j, i] = meshgrid(0:n-1, 0:n-1);
A = sin(401 * i + j) + 400 * (i == j);
B = cos(401 * i + j) + 400 * (i == j);
b = sin(0:n-1)';
best = Inf;
for run = 1:5
  tic;
  s = 0;
  for k = 0:999999
    s = s + k * 0.5 - rem(k, 7);
  end
  best = min(best, toc);
end
printf('loop %.9f\n', best);
best = Inf;
for run = 1:5
  tic; C = A * B; best = min(best, toc);
end
printf('product %.9f\n', best);
best = Inf;
for run = 1:5
  tic; x = A \ b; best = min(best, toc);
end
printf('solve %.9f\n', best);
